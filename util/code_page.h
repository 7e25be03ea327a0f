#pragma once
// Conversions between the system's ANSI code page and wide strings.

#include <string>

// CP_ACP to wide; the conversion ends at the first zero byte.
std::wstring ansi_to_wide(const char* bytes, int count);

// Wide to CP_ACP; the conversion ends at the first zero character.
std::string wide_to_ansi(const std::wstring& text);

// Wide to the given code page; false when a character has no place in it (nothing
// is put in its stead: a name written so would name another file).
bool wide_to_code_page(unsigned code_page, const std::wstring& text, std::string& bytes);
