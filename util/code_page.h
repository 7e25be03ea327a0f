#pragma once
// Conversions between the system's ANSI code page and wide strings.

#include <string>

// CP_ACP to wide; the conversion ends at the first zero byte.
std::wstring ansi_to_wide(const char* bytes, int count);

// Wide to CP_ACP; the conversion ends at the first zero character.
std::string wide_to_ansi(const std::wstring& text);

// Whether `byte` starts a two-byte character in the code page (never in a code page
// of single bytes).
bool is_lead_byte(unsigned code_page, unsigned char byte);
