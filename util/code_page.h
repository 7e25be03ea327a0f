#pragma once
// Conversions between the system's ANSI code page and wide strings.

#include <string>

// CP_ACP to wide; the conversion ends at the first zero byte.
std::wstring ansi_to_wide(const char* bytes, int count);

// Wide to CP_ACP; the conversion ends at the first zero character.
std::string wide_to_ansi(const std::wstring& text);
