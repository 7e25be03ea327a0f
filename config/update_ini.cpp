#include "config/update_ini.h"

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "config/copy_sources.h"
#include "config/ini_line.h"
#include "config/text_file.h"

namespace {

void read_line(const std::wstring& line)
{
    Cini_line read = read_ini_line(line);
    switch (read.key) {
    case Cini_key::reg_path:
        update_info.reg_path = std::move(read.value);
        break;
    case Cini_key::game_title:
        update_info.game_title = std::move(read.value);
        break;
    case Cini_key::copy_file:
        update_info.copy_files.push_back(std::move(read.value));
        break;
    case Cini_key::patch_file:
        update_info.patch_files.push_back(std::move(read.value));
        break;
    case Cini_key::none:
        break;
    }
}

}  // namespace

bool read_update_ini()
{
    std::vector<std::wstring> lines;
    if (!read_text_lines(update_ini_name, lines))
        return fail_update(msg::ini_missing);
    for (const std::wstring& line : lines)
        read_line(line);
    update_info.source_dir = source_folder_name;
    return true;
}
