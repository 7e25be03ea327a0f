#include "copy/entry_files.h"

#include <windows.h>

#include <algorithm>

#include "util/path.h"

namespace {

std::wstring source_path(const std::wstring& source_dir, const std::wstring& entry)
{
    return source_dir + L"\\" + entry;
}

// The folder part of a file entry (sub for sub\file.dat), empty when it has none.
std::wstring entry_folder(const std::wstring& entry)
{
    const std::wstring::size_type pos = entry.rfind(L'\\');
    return pos == std::wstring::npos ? std::wstring() : entry.substr(0, pos);
}

}  // namespace

Centry_kind entry_kind(const std::wstring& source_dir, const std::wstring& entry)
{
    const DWORD attributes = GetFileAttributesW(source_path(source_dir, entry).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Centry_kind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Centry_kind::folder : Centry_kind::file;
}

void list_copy_entry(const std::wstring& source_dir, const std::wstring& entry,
                     Centry_kind kind, Cfile_list& list)
{
    switch (kind) {
    case Centry_kind::folder:
        list.search(source_path(source_dir, entry), L"*", L"*", true);
        break;
    case Centry_kind::file: {
        // A file entry is looked up in its own folder, so that sub\file.dat is found
        // in source_dir\sub, with the case its name has there.
        const std::wstring folder = entry_folder(entry);
        const std::wstring name = path_file_name(entry);
        list.search(folder.empty() ? source_dir : source_path(source_dir, folder),
                    path_without_extension(name), path_extension(name), false);
        break;
    }
    case Centry_kind::missing:
        break;
    }
}

std::wstring copied_path(const std::wstring& entry, Centry_kind kind, const Cfile_entry& file)
{
    if (kind == Centry_kind::folder)
        return entry + L"\\" + file.name;
    const std::wstring folder = entry_folder(entry);
    return folder.empty() ? file.name : folder + L"\\" + file.name;
}

// An entry may be written with '/' between its folders, which Windows accepts as a
// separator; the copy works with '\' only, so that the folders of the destination
// are made level by level and the dialog shows one kind of path.
std::wstring with_backslashes(std::wstring entry)
{
    std::replace(entry.begin(), entry.end(), L'/', L'\\');
    return entry;
}
