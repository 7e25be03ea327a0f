#pragma once
// What the publisher's check finds in update.ini itself: the file's bytes and its
// lines as the updater reads them. Pure functions over text; no file is opened.

#include <string>
#include <vector>

#include "check/finding.h"

// A value the updater takes from update.ini, with the line it came from.
struct Cread_value {
    std::wstring value;
    int line = 0;  // counted from 1; 0: not given
};

// What the updater reads from the lines of update.ini: every key line through the
// updater's own read_ini_line, the last #REG_PATH and #GAME_TITLE winning.
struct Cini_reading {
    Cread_value reg_path;
    Cread_value game_title;
    std::vector<Cread_value> entries;
    std::vector<Cread_value> patches;  // #PATCH_FILE entries, with their lines
};

Cini_reading read_ini_lines(const std::vector<std::wstring>& lines);

// Lines that look like key lines but are ignored, single backslashes that vanish,
// keys and entries given more than once.
void lint_ini_lines(const std::vector<std::wstring>& lines, Cfindings& findings);

// How the file was saved: a UTF-8 byte-order mark, UTF-8 or UTF-16 text, text
// after a zero byte or a byte 0x1A. `lines` are the lines as read, for showing what
// the updater makes of a line; `code_page` is the ANSI code page they were read in.
void lint_ini_bytes(const std::string& bytes, const std::vector<std::wstring>& lines,
                    unsigned code_page, Cfindings& findings);

// The number of single-character edits (insert, delete, replace, swap of two
// neighbours) between two names.
std::size_t edit_distance(const std::wstring& a, const std::wstring& b);
