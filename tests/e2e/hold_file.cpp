// Holds a file open, so that another process cannot open it for writing.
// Usage: hold_file FILE READY RELEASE [read|shared|write|map]. Creates READY once the file
// is held, and lets it go when RELEASE appears (or after 60 seconds). Without a
// fourth argument the file is held for reading and writing without sharing; with
// "read", the way a running game holds its data: for reading, shared with readers
// only; with "shared", for reading, shared with readers and writers but not with its
// deletion or replacement; with "write", the way an extractor or a sync client
// writes it: for writing, shared with readers and writers; with "map", the way a game
// reads an archive through a mapping: the file mapped into memory for reading, its
// handles closed.

#include <windows.h>

namespace {

HANDLE open_held(const wchar_t* path, const wchar_t* how)
{
    if (lstrcmpW(how, L"read") == 0)
        return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lstrcmpW(how, L"shared") == 0)
        return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lstrcmpW(how, L"write") == 0)
        return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    const wchar_t* how = argc > 4 ? argv[4] : L"";
    HANDLE file = open_held(argv[1], lstrcmpW(how, L"map") == 0 ? L"read" : how);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const void* view = nullptr;
    if (lstrcmpW(how, L"map") == 0) {
        const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (mapping)
            CloseHandle(mapping);
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
        if (!view)
            return 1;
    }
    const HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(ready);
    for (int i = 0; i < 600 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    if (view)
        UnmapViewOfFile(view);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return 0;
}
