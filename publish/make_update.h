#pragma once
// make-update: an update folder from two releases. The files of the new release
// that the old one lacks or holds otherwise are copied into OUT\gamedata, update.ini
// gets one entry per top-level item there, gamedata.sha256 the digest of every
// file, and the updater is put beside them. update-check's own check of the folder
// then runs on it. On an error nothing is left in OUT.

#include <cstdint>
#include <string>
#include <vector>

#include "check/finding.h"
#include "check/update_check.h"
#include "publish/release_diff.h"

struct Cmake_update_options {
    std::wstring old_dir;  // the three folders as the publisher typed them
    std::wstring new_dir;
    std::wstring out_dir;
    std::wstring reg_path;  // below HKLM\Software, one '\' between levels, unescaped
    std::wstring game_title;
    std::wstring updater;  // the updater exe to put into OUT
    std::wstring version;  // make-update's own, for the first line of update.ini
};

// A finding about a file or folder, written "PATH: warning: TEXT".
struct Cpath_finding {
    std::wstring path;  // the folder as typed, then the path below it
    Cseverity severity = Cseverity::warning;
    std::wstring text;
};

struct Cmake_update_run {
    std::vector<Cpath_finding> findings;
    bool compared = false;  // both releases were there to compare
    Crelease_diff diff;
    std::uint64_t gamedata_bytes = 0;
    bool checked = false;  // update-check ran on OUT
    Cfolder_check check;
    bool kept = false;  // OUT holds the update folder
};

Cmake_update_run make_update(const Cmake_update_options& options);

// The findings (make-update's, then update-check's with OUT before each), the
// summary and the counts; lines end in '\n'.
std::wstring format_make_update_report(const Cmake_update_run& run,
                                       const Cmake_update_options& options);

// 0 with no finding, 1 with warnings only, 2 with any error (update-check's too).
int make_update_exit_code(const Cmake_update_run& run);
