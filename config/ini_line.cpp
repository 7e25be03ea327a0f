#include "config/ini_line.h"

#include "config/scanner.h"

const wchar_t* ini_key_pattern(Cini_key key)
{
    switch (key) {
    case Cini_key::reg_path:
        return L"#REG_PATH = %s";
    case Cini_key::game_title:
        return L"#GAME_TITLE = %s";
    case Cini_key::copy_file:
        return L"#COPY_FILE = %s";
    case Cini_key::patch_file:
        return L"#PATCH_FILE = %s";
    case Cini_key::none:
        break;
    }
    return L"";
}

Cini_line read_ini_line(const std::wstring& line)
{
    Cini_line read;
    Cscanner scanner(ini_line_blanks, line.data(), line.data() + line.size());
    if (scanner.is_end() || scanner.scan(L"//"))
        return read;
    // A failed scan leaves the cursor at the start of the line, so each key is
    // tried from the first character.
    for (Cini_key key :
         {Cini_key::reg_path, Cini_key::game_title, Cini_key::copy_file, Cini_key::patch_file}) {
        std::wstring value;
        if (scanner.scan(ini_key_pattern(key), {value})) {
            read.key = key;
            read.value = std::move(value);
            return read;
        }
    }
    return read;
}
