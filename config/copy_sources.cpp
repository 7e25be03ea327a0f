#include "config/copy_sources.h"

#include <windows.h>

#include <algorithm>

#include "util/file.h"

namespace {

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

}  // namespace

bool is_source_folder(const std::wstring& source_dir)
{
    const DWORD attributes = file_attributes(source_dir);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring copy_source_path(const std::wstring& source_dir, const std::wstring& entry)
{
    return source_dir + L"\\" + entry;
}

Ccopy_entry_fault copy_entry_fault(const std::wstring& source_dir, const std::wstring& entry)
{
    if (entry.empty())
        return Ccopy_entry_fault::empty;
    // The entry is joined to the source folder here and to the installation folder
    // by the copy: one that climbs out would read or overwrite files anywhere on
    // the machine.
    if (is_unsafe_copy_entry(entry))
        return Ccopy_entry_fault::unsafe;
    if (file_attributes(copy_source_path(source_dir, entry)) == INVALID_FILE_ATTRIBUTES)
        return Ccopy_entry_fault::missing;
    return Ccopy_entry_fault::none;
}

bool is_unsafe_copy_entry(const std::wstring& entry)
{
    // A drive ("C:x"), an alternate stream ("a:b") or a device name all need ':'.
    if (entry.find(L':') != std::wstring::npos)
        return true;
    // A rooted path ("\x", "/x", "\\server\share") leaves the source folder.
    if (!entry.empty() && is_separator(entry.front()))
        return true;
    // The whole source folder, copied over the installation folder.
    if (names_source_folder(entry))
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

bool names_source_folder(const std::wstring& entry)
{
    return !entry.empty() && std::all_of(entry.begin(), entry.end(), [](wchar_t c) {
        return c == L'.' || c == L' ' || is_separator(c);
    });
}
