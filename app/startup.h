#pragma once
// Process start-up: prepares the process, checks the rich-edit precondition and
// runs the update sequence once.

#include <windows.h>

#include <string>

// Everything wWinMain does; returns the exit code, always 0.
int run_updater(HINSTANCE instance, const wchar_t* command_line);

// Names the application and runs the update sequence; returns 0.
int start_update();

// The folder that SetCurrentDirectoryW must be given to make `module_dir` current:
// a drive root "D:" becomes "D:\" (the bare "D:" would name the drive's own current
// folder, which need not be its root).
std::wstring current_directory_for(const std::wstring& module_dir);
