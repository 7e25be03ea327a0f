// Holds a file open, so that another process cannot open it for writing.
// Usage: hold_file FILE READY RELEASE [read|write|map]. Creates READY once the file
// is held, and lets it go when RELEASE appears (or after 60 seconds). Without a
// fourth argument the file is held for reading and writing without sharing; with
// "read", the way a running game holds its data: for reading, shared with readers
// only; with "write", the way an extractor or a sync client writes it: for writing,
// shared with readers and writers; with "map", the way a game reads an archive
// through a file mapping: mapped into memory, its handles closed, the view kept.

#include <windows.h>

namespace {

HANDLE open_held(const wchar_t* path, const wchar_t* how)
{
    if (lstrcmpW(how, L"read") == 0 || lstrcmpW(how, L"map") == 0)
        return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lstrcmpW(how, L"write") == 0)
        return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Maps the whole file for reading and closes both handles: only the view holds it.
bool keep_only_a_view(HANDLE& file, const void*& view)
{
    const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping)
        return false;
    view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    return view != nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    const wchar_t* how = argc > 4 ? argv[4] : L"";
    HANDLE file = open_held(argv[1], how);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const void* view = nullptr;
    if (lstrcmpW(how, L"map") == 0 && !keep_only_a_view(file, view))
        return 1;
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
