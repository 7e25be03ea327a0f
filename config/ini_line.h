#pragma once
// What one line of update.ini says. The updater's reader and the publisher's check
// both read every line through read_ini_line, so that the two never disagree.

#include <string>

enum class Cini_key { none, reg_path, game_title, copy_file, patch_file };

// A line that sets a key gives the key and its value; every other line (blank,
// comment, unknown, malformed) gives Cini_key::none and an empty value.
struct Cini_line {
    Cini_key key = Cini_key::none;
    std::wstring value;
};

// The blanks of a line: what may stand around '=' and what a blank line holds.
inline const wchar_t* const ini_line_blanks = L" \t\n";

// The pattern of a key line: "#KEY = %s".
const wchar_t* ini_key_pattern(Cini_key key);

// Reads one line: blank, "//" comment, "#REG_PATH = ...", "#GAME_TITLE = ...",
// "#COPY_FILE = ..." or "#PATCH_FILE = ...", tried in that order from the first
// character of the line.
Cini_line read_ini_line(const std::wstring& line);
