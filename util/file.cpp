#include "util/file.h"

#include <windows.h>


bool Cfile::open(const std::wstring& path, const std::wstring& mode)
{
    close();
    if (_wfopen_s(&stream, path.c_str(), mode.c_str()) != 0)
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

bool Chandle_file::close()
{
    if (!is_open())
        return true;
    const bool closed = CloseHandle(handle) != FALSE;
    handle = INVALID_HANDLE_VALUE;
    return closed;
}

bool is_link_reparse_tag(DWORD tag)
{
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

namespace {

bool is_folder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
        if (is_folder(folder))
            continue;
        if (!CreateDirectoryW(folder.c_str(), nullptr) &&
            !(GetLastError() == ERROR_ALREADY_EXISTS && is_folder(folder)))
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
