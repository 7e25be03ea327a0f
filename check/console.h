#pragma once
// Writes the check's text to standard output: to a console through WriteConsoleW,
// so that any character shows; to a file or a pipe as UTF-8. Line ends become CR LF.

#include <windows.h>

#include <string>

// STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
void write_text(DWORD which, const std::wstring& text);

// The text with every '\n' made "\r\n".
std::wstring with_crlf(const std::wstring& text);
