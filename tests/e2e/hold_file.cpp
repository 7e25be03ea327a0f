// Holds a file open, so that another process cannot open it for writing.
// Usage: hold_file FILE READY RELEASE [read]. Creates READY once the file is held,
// and lets it go when RELEASE appears (or after 60 seconds). Without "read" the
// file is held for reading and writing without sharing; with it, the way a running
// game holds its data: for reading, shared with readers only.

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    const bool like_a_game = argc > 4 && lstrcmpW(argv[4], L"read") == 0;
    const HANDLE file =
        like_a_game ? CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)
                    : CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(ready);
    for (int i = 0; i < 600 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    CloseHandle(file);
    return 0;
}
