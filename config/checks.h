#pragma once
// The checks of what update.ini gave, and the reading of gamedata.sha256, run before
// the registry is looked at.

#include <string>

#include "config/copy_sources.h"

// A step of the update: #REG_PATH and #GAME_TITLE are both given (not empty).
bool check_reg_path_and_title();

// A step of the update: the source folder exists, and every copy entry is given,
// stays inside it (no "..", no leading separator, no drive or stream ':') and
// names something that exists there.
bool check_copy_sources();

// A step of the update: reads gamedata.sha256 into the update record when it is
// there. False after telling the user that it cannot be read or which line is not
// of the form.
bool read_update_digests();

// A step of the update, after read_update_digests: every #PATCH_FILE entry is
// given, stays inside the installation, is patched once and copied by no
// #COPY_FILE entry, and its patch gamedata\<entry>.vcdiff is there with a header
// the updater reads; with any entry, before.sha256 and after.sha256 are read into
// the update record and each lists every patched path.
bool check_patch_sources();

// printf-style formatting into a buffer of 1024 wide characters; a longer result
// is cut to its first 1023.
std::wstring format_wide(const wchar_t* pattern, ...);
