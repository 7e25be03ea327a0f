#pragma once
// Pure helpers over Windows paths held as wide strings. The only separator is
// '\'; '/' is an ordinary character. The extension is the text after the last '.'
// that follows the last separator.

#include <string>

std::wstring path_folder(const std::wstring& path);             // before the last '\'
std::wstring path_file_name(const std::wstring& path);          // after the last '\'
std::wstring path_extension(const std::wstring& path);          // without its dot
std::wstring path_without_extension(const std::wstring& path);  // folder part kept

// Folds A to Z to a to z; every other code unit (full-width letters too) stays.
void to_lower_ascii(std::wstring& text);
std::wstring lower_ascii_copy(std::wstring text);
