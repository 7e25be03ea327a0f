#include "util/system_dll.h"

#include <string>

void restrict_dll_search_to_system()
{
    using Cset_default_dll_directories = BOOL(WINAPI*)(DWORD);
    const auto set_directories = get_function<Cset_default_dll_directories>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (set_directories)
        set_directories(0x00000800);  // LOAD_LIBRARY_SEARCH_SYSTEM32
}

HMODULE load_system_dll(const wchar_t* file_name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + file_name;
    return LoadLibraryW(path.c_str());
}
