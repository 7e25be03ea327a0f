#include "support/temp_folder.h"

#include <windows.h>

#include <cstdio>

#include "util/file.h"

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
    create_path_folders(path);
    FILE* file = _wfopen(long_path(path).c_str(), L"wb");
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
    return is_folder(path);
}

void remove_tree(const std::wstring& path)
{
    remove_folder_tree(path);
}
