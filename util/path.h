#pragma once
// Pure helpers over Windows paths held as wide strings. The only separator is
// '\'; '/' is an ordinary character. The extension is the text after the last '.'
// that follows the last separator.

#include <string>

std::wstring path_folder(const std::wstring& path);             // before the last '\'
std::wstring path_file_name(const std::wstring& path);          // after the last '\'
std::wstring path_extension(const std::wstring& path);          // without its dot
std::wstring path_without_extension(const std::wstring& path);  // folder part kept

// `relative` below `folder`: the two joined by one '\'.
std::wstring join_path(const std::wstring& folder, const std::wstring& relative);

// A relative path as the copy works with it (an entry of update.ini, a line of a
// digest list): '\' between its folders ('/' accepted), with empty and "." steps
// dropped.
std::wstring normalized_entry(const std::wstring& entry);

// A path as a digest list's paths and the plan's are matched, by the rule of the
// entries: '\' or '/' between folders, empty and "." steps dropped, letters A to Z
// in either case, every other character exactly.
std::wstring digest_path_key(const std::wstring& path);

// Folds A to Z to a to z; every other code unit (full-width letters too) stays.
void to_lower_ascii(std::wstring& text);
std::wstring lower_ascii_copy(std::wstring text);
