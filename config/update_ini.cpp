#include "config/update_ini.h"

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "config/scanner.h"
#include "config/text_file.h"

namespace {

const wchar_t* const ini_file_name = L"update.ini";
const wchar_t* const line_blanks = L" \t\n";

void read_line(const std::wstring& line)
{
    Cscanner scanner(line_blanks, line.data(), line.data() + line.size());
    std::wstring value;
    if (scanner.is_end() || scanner.scan(L"//"))
        return;
    // A failed scan leaves the cursor at the start of the line, so each key is
    // tried from the first character.
    if (scanner.scan(L"#REG_PATH = %s", {value}))
        update_info.reg_path = value;
    else if (scanner.scan(L"#GAME_TITLE = %s", {value}))
        update_info.game_title = value;
    else if (scanner.scan(L"#COPY_FILE = %s", {value}))
        update_info.copy_files.push_back(value);
}

}  // namespace

bool read_update_ini()
{
    std::vector<std::wstring> lines;
    if (!read_text_lines(ini_file_name, lines))
        return fail_update(msg::ini_missing);
    for (const std::wstring& line : lines)
        read_line(line);
    update_info.source_dir = L"gamedata";
    return true;
}
