#include "util/file.h"

#include <windows.h>

#include "util/path.h"


bool Cfile::open(const std::wstring& path, const std::wstring& mode)
{
    close();
    if (_wfopen_s(&stream, long_path(path).c_str(), mode.c_str()) != 0)
        stream = nullptr;
    if (!stream)
        return false;
    _fseeki64(stream, 0, SEEK_END);
    size = _ftelli64(stream);
    _fseeki64(stream, 0, SEEK_SET);
    if (size < 0)
        size = 0;
    return true;
}

void Cfile::close()
{
    if (stream)
        fclose(stream);
    stream = nullptr;
    size = 0;
}

bool is_link_reparse_tag(DWORD tag)
{
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

std::wstring full_path(const std::wstring& path)
{
    // Every file call asks for this: room for the path and some more lets one call
    // of the system do, where asking for the length first would take two.
    std::wstring full(path.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()),
                                              &full[0], nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // too small: the length it needs, its null included
    }
}

std::wstring long_path(const std::wstring& path)
{
    if (path.empty() || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    const std::wstring full = full_path(path);
    if (full.compare(0, 4, L"\\\\.\\") == 0)
        return full;  // a device ("\\.\C:"), which takes no other form
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() < 3 || full[1] != L':' || full[2] != L'\\')
        return path;  // relative still: GetFullPathNameW failed
    return L"\\\\?\\" + full;
}

DWORD file_attributes(const std::wstring& path)
{
    return GetFileAttributesW(long_path(path).c_str());
}

bool set_file_attributes(const std::wstring& path, DWORD attributes)
{
    return SetFileAttributesW(long_path(path).c_str(), attributes) != FALSE;
}

bool delete_file(const std::wstring& path)
{
    return DeleteFileW(long_path(path).c_str()) != FALSE;
}

Chandle open_file(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags)
{
    return Chandle(CreateFileW(long_path(path).c_str(), access, share, nullptr, disposition,
                               flags, nullptr));
}

bool flush_volume(const std::wstring& folder)
{
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(folder.c_str(), root, MAX_PATH) || root[0] == L'\\' || !root[0] ||
        root[1] != L':')
        return false;
    const std::wstring volume = std::wstring(L"\\\\.\\") + root[0] + L":";
    const Chandle handle(CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     0, nullptr));
    return handle.is_open() && FlushFileBuffers(handle.get());
}

bool flush_file(const std::wstring& path)
{
    Chandle file = open_file(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return file.is_open() && FlushFileBuffers(file.get()) && file.close();
}

bool keeps_names_in_order(const std::wstring& file_system_name)
{
    const std::wstring name = lower_ascii_copy(file_system_name);
    return name != L"fat" && name != L"fat12" && name != L"fat16" && name != L"fat32" &&
           name != L"exfat" && name != L"vfat" && name != L"msdos";
}

bool volume_keeps_names_in_order(const std::wstring& folder)
{
    wchar_t root[MAX_PATH + 1] = {};
    wchar_t file_system[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(full_path(folder).c_str(), root, MAX_PATH) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, file_system,
                               MAX_PATH))
        return true;
    return keeps_names_in_order(file_system);
}

bool is_folder(const std::wstring& path)
{
    const DWORD attributes = file_attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool make_folder(const std::wstring& path)
{
    if (CreateDirectoryW(long_path(path).c_str(), nullptr))
        return true;
    const DWORD attributes = file_attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

namespace {

bool remove_file(const std::wstring& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_READONLY)
        set_file_attributes(path, FILE_ATTRIBUTE_NORMAL);
    return delete_file(path);
}

// Where the folders of an absolute path begin: past "C:\", "\\server\share\",
// "\\?\C:\" or "\\?\UNC\server\share\"; 0 for a relative path.
std::wstring::size_type first_folder_at(const std::wstring& path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0 && path.size() >= 7 && path[5] == L':')
        return 7;
    std::wstring::size_type at = 0;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        at = 8;
    else if (path.compare(0, 2, L"\\\\") == 0)
        at = 2;
    else
        return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' ? 3 : 0;
    // Server and share are no folders to make.
    for (int part = 0; part < 2; ++part) {
        at = path.find(L'\\', at);
        if (at == std::wstring::npos)
            return path.size();
        ++at;
    }
    return at;
}

}  // namespace

bool create_path_folders(const std::wstring& path)
{
    const auto last = path.rfind(L'\\');
    if (last == std::wstring::npos || last == 0 || is_folder(path.substr(0, last)))
        return true;
    // Each level is made under its exact name through the wide call: no name passes
    // through the ANSI code page, where "y¥y" would become "y\y" and a folder named
    // "..¥..¥windows" would climb out of the installation.
    for (auto end = path.find(L'\\', first_folder_at(path)); end != std::wstring::npos;
         end = path.find(L'\\', end + 1)) {
        if (end == 0 || path[end - 1] == L'\\')
            continue;
        const std::wstring folder = path.substr(0, end);
        if (!is_folder(folder) && !make_folder(folder))
            return false;
    }
    return true;
}

bool create_folder(const std::wstring& path)
{
    if (path.empty())
        return true;
    std::wstring folder = path;
    if (folder.back() != L'\\')
        folder += L'\\';
    return create_path_folders(folder);
}

bool remove_folder_tree(const std::wstring& folder)
{
    const DWORD attributes = file_attributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;  // no folder: a file of someone else's under its name stays
    bool removed = true;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found;
        Cfind_search search(long_path(folder + L"\\*"), found);
        if (search.found_first()) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                const bool gone = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                      ? remove_folder_tree(path)
                                      : remove_file(path, found.dwFileAttributes);
                removed = removed && gone;
            } while (search.next(found));
        }
    }
    return RemoveDirectoryW(long_path(folder).c_str()) != FALSE && removed;
}
