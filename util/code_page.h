#pragma once
// Conversions between the system's ANSI code page (or UTF-8) and wide strings.

#include <string>

// CP_ACP to wide; the conversion ends at the first zero byte.
std::wstring ansi_to_wide(const char* bytes, int count);

// UTF-8 to wide, every byte (zero bytes too); false for bytes that are not UTF-8.
bool utf8_to_wide(const char* bytes, int count, std::wstring& wide);

// Wide to CP_ACP; the conversion ends at the first zero character.
std::string wide_to_ansi(const std::wstring& text);
