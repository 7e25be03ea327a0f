#pragma once
// The process-wide application record: what start-up learned about the process,
// and the window toolkit's list of registered windows and the pump's quit state.

#include <windows.h>

#include <string>
#include <vector>

struct Capp_info {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;  // the updater has none; stays null
    std::wstring command_line;
    std::wstring module_dir;
    std::wstring module_name;
    std::wstring app_name;
    std::wstring documents_dir;
    std::vector<HWND> dialog_windows;  // registered toolkit windows, in order
    bool quit_received = false;        // the pump has taken WM_QUIT
};

extern Capp_info app_info;
