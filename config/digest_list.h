#pragma once
// gamedata.sha256, the digests of the update data's files, in the form GNU sha256sum
// writes and checks (`cd gamedata && sha256sum -c ../gamedata.sha256`), one line per file:
//   64 hexadecimal digits (either case), a space, a space or '*', the file's path
//   relative to gamedata with '/' or '\' between folders.
// UTF-8 (a byte-order mark at the start is skipped), LF or CR LF, blank lines
// ignored. The file is optional: without it the update is not checked.

#include <string>
#include <vector>

#include "session/update_info.h"

// Beside update.ini, in the updater's own folder.
inline const wchar_t* const digest_list_name = L"gamedata.sha256";

enum class Cdigest_list_status {
    absent,      // no such file: nothing is checked
    read,        // every line was read (see bad_lines)
    unreadable,  // there, but it cannot be opened or read to its end (a folder, say)
};

struct Cdigest_list {
    Cdigest_list_status status = Cdigest_list_status::absent;
    std::vector<Clisted_digest> digests;  // the lines of the form, in file order
    std::vector<int> bad_lines;           // every other line that is not blank, from 1
};

enum class Cdigest_line { blank, digest, malformed };

// Reads one line, without its line feed (a CR before the feed is dropped here). Only
// a line of the form fills `read`, without its line number.
Cdigest_line read_digest_line(const std::string& line, Clisted_digest& read);

// Reads the list's bytes, line by line.
Cdigest_list parse_digest_list(const std::string& bytes);

// Reads the list at `path`.
Cdigest_list read_digest_list(const std::wstring& path);
