#pragma once
// Loading DLLs from the system folder only. The updater is started from wherever
// the player unpacked it, often a downloads folder where other files lie; a DLL
// found there must never be loaded in place of a system DLL.

#include <windows.h>

// Restricts the process's DLL search path to the system folder, where the system
// offers SetDefaultDllDirectories. Call it before anything else.
void restrict_dll_search_to_system();

// Loads a DLL by its full path in the system folder; null when it cannot be loaded.
HMODULE load_system_dll(const wchar_t* file_name);

// A function of a loaded module, typed; null when the module or the function is missing.
template <class Function>
Function get_function(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    // Through void(*)() so that the cast between function pointer types is a plain one.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
