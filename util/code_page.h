#pragma once
// Conversions between update.ini's code page and wide strings. The file is
// Shift_JIS as Windows has it (code page 932) on every system: the updater of a
// Japanese game reads it the same way on a Windows in any language, where the
// system's own ANSI code page (1252, 936...) would garble every caption and miss
// every Japanese entry.

#include <string>

// The code page of update.ini, whatever the system's ANSI code page.
constexpr unsigned int update_ini_code_page = 932;

// Code page 932 to wide; the conversion ends at the first zero byte.
std::wstring ansi_to_wide(const char* bytes, int count);

// UTF-8 to wide, every byte (zero bytes too); false for bytes that are not UTF-8.
bool utf8_to_wide(const char* bytes, int count, std::wstring& wide);

// Wide to code page 932; the conversion ends at the first zero character.
std::string wide_to_ansi(const std::wstring& text);

// Wide to the given code page; false when a character has no place in it (nothing
// is put in its stead: a name written so would name another file).
bool wide_to_code_page(unsigned code_page, const std::wstring& text, std::string& bytes);

// Whether `byte` starts a two-byte character in the code page (never in a code page
// of single bytes).
bool is_lead_byte(unsigned code_page, unsigned char byte);
