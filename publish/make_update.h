#pragma once
// make-update: an update folder from two releases. The files of the new release
// that the old one lacks or holds otherwise go into OUT\gamedata: a large changed
// file as a patch (path.vcdiff, a #PATCH_FILE entry) when that is much smaller,
// any other whole (#COPY_FILE entries that never cover a patch). gamedata.sha256
// gets the digest of every file there, before.sha256 and after.sha256 those of
// every file of the two releases, and the updater is put beside them.
// update-check's own check of the folder then runs on it. On an error nothing is
// left in OUT.

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
    bool whole_files = false;  // no patches: every file goes whole
};

// A finding about a file or folder, written "PATH: warning: TEXT".
struct Cpath_finding {
    std::wstring path;  // the folder as typed, then the path below it
    Cseverity severity = Cseverity::warning;
    std::wstring text;
};

// A changed file shipped as a patch.
struct Cpatched_file {
    std::wstring path;  // relative to the release, NEW's names
    std::uint64_t new_size = 0;
    std::uint64_t patch_size = 0;
};

struct Cmake_update_run {
    std::vector<Cpath_finding> findings;
    bool compared = false;  // both releases were there to compare
    Crelease_diff diff;
    std::uint64_t gamedata_bytes = 0;  // what OUT\gamedata holds, patches counted as shipped
    std::vector<Cpatched_file> patches;  // in the order of diff.copied
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
