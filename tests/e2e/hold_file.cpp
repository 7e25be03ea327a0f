// Holds a file open without sharing, so that another process cannot open it.
// Usage: hold_file FILE READY RELEASE. Creates READY once the file is held, and lets
// it go when RELEASE appears (or after 60 seconds).

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
