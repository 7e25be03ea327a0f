#pragma once
// The update state record that every step of one update reads and writes.

#include <string>
#include <vector>

struct Cupdate_info {
    std::wstring reg_path;                 // #REG_PATH: key below Software\ (HKLM)
    std::wstring game_title;               // #GAME_TITLE: caption of every message box
    std::vector<std::wstring> copy_files;  // #COPY_FILE entries, in file order
    std::wstring exe_dir;                  // registry value exe_dir
    std::wstring dat_dir;                  // registry value dat_dir (must exist, unused)
    std::wstring dat_setup;                // registry value dat_setup ("full")
    std::wstring source_dir;               // "gamedata", relative to the updater's folder
    std::wstring dest_dir;                 // where the update is copied: exe_dir
};

extern Cupdate_info update_info;
