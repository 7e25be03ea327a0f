#include "copy/staging.h"

#include <windows.h>

const wchar_t* const staging_folder_name = L"update~";
const wchar_t* const temporary_suffix = L".update~";

namespace {

constexpr std::size_t files_per_subfolder = 64;

std::wstring subfolder(const std::wstring& dest_dir, std::size_t index)
{
    return staging_folder(dest_dir) + L"\\" + std::to_wstring(index / files_per_subfolder);
}

bool make_one_folder(const std::wstring& folder)
{
    if (CreateDirectoryW(folder.c_str(), nullptr))
        return true;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool remove_file(const std::wstring& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

std::wstring staging_folder(const std::wstring& dest_dir)
{
    return dest_dir + L"\\" + staging_folder_name;
}

std::wstring staged_new_path(const std::wstring& dest_dir, std::size_t index)
{
    return subfolder(dest_dir, index) + L"\\" + std::to_wstring(index) + L".new";
}

std::wstring staged_old_path(const std::wstring& dest_dir, std::size_t index)
{
    return subfolder(dest_dir, index) + L"\\" + std::to_wstring(index) + L".old";
}

bool make_staging_folder_for(const std::wstring& dest_dir, std::size_t index)
{
    if (index % files_per_subfolder != 0)
        return true;  // made with the subfolder's first file
    return (index != 0 || make_one_folder(staging_folder(dest_dir))) &&
           make_one_folder(subfolder(dest_dir, index));
}

bool remove_folder_tree(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;  // no folder: a file of someone else's under its name stays
    bool removed = true;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                const bool gone = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                      ? remove_folder_tree(path)
                                      : remove_file(path, found.dwFileAttributes);
                removed = removed && gone;
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    return RemoveDirectoryW(folder.c_str()) != FALSE && removed;
}
