#include "support/temp_folder.h"

#include <windows.h>

#include <cstdio>

namespace {

void create_folders_for(const std::wstring& file_path)
{
    for (std::wstring::size_type pos = file_path.find(L'\\', 3); pos != std::wstring::npos;
         pos = file_path.find(L'\\', pos + 1))
        CreateDirectoryW(file_path.substr(0, pos).c_str(), nullptr);
}

}  // namespace

Ctemp_folder::Ctemp_folder()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"updtest-%lu-%u", GetCurrentProcessId(), ++counter);
        path_ = std::wstring(base) + name;
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

Ctemp_folder::~Ctemp_folder()
{
    remove_tree(path_);
}

std::wstring Ctemp_folder::operator/(const std::wstring& relative) const
{
    return path_ + L"\\" + relative;
}

void write_file(const std::wstring& path, const std::string& bytes)
{
    create_folders_for(path);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return;
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

bool make_sized_file(const std::wstring& path, long long size)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER at;
    at.QuadPart = size;
    const bool sized = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return sized;
}

std::string read_file(const std::wstring& path)
{
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return bytes;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, n);
    fclose(file);
    return bytes;
}

bool file_exists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void remove_tree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}
