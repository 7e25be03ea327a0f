#include "config/checks.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"

namespace {

// The folder name the message shows, whatever source_dir holds.
const wchar_t* const source_folder_name = L"gamedata";

bool is_folder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

}  // namespace

std::wstring format_wide(const wchar_t* pattern, ...)
{
    wchar_t buffer[1024] = {};
    va_list arguments;
    va_start(arguments, pattern);
    // _TRUNCATE: a longer result is cut to what fits, terminator included, instead
    // of invoking the invalid-parameter handler.
    _vsnwprintf_s(buffer, 1024, _TRUNCATE, pattern, arguments);
    va_end(arguments);
    return buffer;
}

bool is_unsafe_copy_entry(const std::wstring& entry)
{
    // A drive ("C:x"), an alternate stream ("a:b") or a device name all need ':'.
    if (entry.find(L':') != std::wstring::npos)
        return true;
    // A rooted path ("\x", "/x", "\\server\share") leaves the source folder.
    if (!entry.empty() && is_separator(entry.front()))
        return true;
    std::wstring::size_type start = 0;
    for (;;) {
        std::wstring::size_type end = start;
        while (end < entry.size() && !is_separator(entry[end]))
            ++end;
        if (entry.compare(start, end - start, L"..") == 0)
            return true;
        if (end == entry.size())
            return false;
        start = end + 1;
    }
}

bool check_reg_path_and_title()
{
    if (update_info.reg_path.empty())
        return fail_update(msg::reg_path_missing);
    if (update_info.game_title.empty())
        return fail_update(msg::game_title_missing);
    return true;
}

bool check_copy_sources()
{
    if (!is_folder(update_info.source_dir))
        return fail_update(msg::source_folder_missing(source_folder_name));
    int position = 0;
    for (const std::wstring& entry : update_info.copy_files) {
        ++position;
        if (entry.empty())
            return fail_update(format_wide(msg::copy_entry_empty_format, position));
        // The entry is joined to the source folder here and to the installation
        // folder by the copy: one that climbs out would read or overwrite files
        // anywhere on the machine.
        if (is_unsafe_copy_entry(entry))
            return fail_update(format_wide(msg::copy_entry_unsafe_format, position));
        const std::wstring source_path = update_info.source_dir + L"\\" + entry;
        if (!exists(source_path))
            return fail_update(msg::source_file_missing(source_path));
    }
    return true;
}
