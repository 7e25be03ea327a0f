#pragma once
// A picture of part of the screen, saved as a 24-bit BMP, so that a person can look
// at what a test or a scenario showed. Used by the toolkit tests and the watcher.

#include <windows.h>

#include <string>

// Saves the screen's pixels inside `area` (screen coordinates).
bool save_screen_area(const RECT& area, const std::wstring& path);
