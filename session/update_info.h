#pragma once
// The update state record that every step of one update reads and writes.

#include <string>
#include <vector>

#include "util/sha256.h"

// One line of gamedata.sha256: a file of the update data and the digest its bytes
// must have.
struct Clisted_digest {
    std::wstring path;  // relative to gamedata, as written: '/' or '\' between folders
    Csha256_digest digest{};
    int line = 0;  // counted from 1
};

struct Cupdate_info {
    std::wstring reg_path;                 // #REG_PATH: key below Software\ (HKLM)
    std::wstring game_title;               // #GAME_TITLE: caption of every message box
    std::vector<std::wstring> copy_files;  // #COPY_FILE entries, in file order
    std::vector<std::wstring> patch_files;  // #PATCH_FILE entries, in file order
    std::wstring exe_dir;                  // registry value exe_dir
    std::wstring dat_dir;                  // registry value dat_dir (must exist, unused)
    std::wstring dat_setup;                // registry value dat_setup ("full")
    std::wstring source_dir;               // "gamedata", relative to the updater's folder
    std::wstring dest_dir;                 // where the update is copied: exe_dir
    bool has_digest_list = false;          // gamedata.sha256 lies beside update.ini
    std::vector<Clisted_digest> listed_digests;  // its lines, in file order
    // With patches: before.sha256 and after.sha256, the installed files as they must
    // be before the update and as it leaves them (paths relative to exe_dir).
    std::vector<Clisted_digest> before_digests;
    std::vector<Clisted_digest> after_digests;
};

extern Cupdate_info update_info;
