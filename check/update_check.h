#pragma once
// The publisher's check of an update folder: update.ini, gamedata, gamedata.sha256,
// before.sha256 and after.sha256 read exactly as the updater reads them (the same
// text loading, readers, checks and listing), with everything the updater would
// refuse or silently do otherwise than meant.

#include <cstdint>
#include <string>
#include <vector>

#include "check/digest_lint.h"
#include "check/finding.h"
#include "check/ini_lint.h"
#include "util/sha256.h"

// One file the update copies: its path relative to gamedata, which is also its
// path relative to the installation folder.
struct Ccopied_file {
    std::wstring path;
    std::uint64_t size = 0;
};

// One #COPY_FILE entry and what it copies.
struct Centry_report {
    Cread_value entry;    // as written, with its line
    bool listed = false;  // passed the updater's checks, and its files were listed
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    bool is_folder = false;
};

// One #PATCH_FILE entry, its patch and the new file the patch makes.
struct Cpatch_report {
    Cread_value entry;      // as written, with its line
    std::wstring relative;  // the entry as the run uses it: below gamedata and the installation
    bool readable = false;  // passed the updater's checks, and its headers were read
    std::uint64_t patch_size = 0;
    std::uint64_t new_size = 0;  // the sum of its target windows
    // The installed file's digests as before.sha256 and after.sha256 list them.
    std::vector<Csha256_digest> before;
    std::vector<Csha256_digest> after;
};

struct Cfolder_check {
    bool ini_found = false;
    Cini_reading reading;
    Cfindings findings;
    std::vector<Centry_report> entries;
    std::vector<Ccopied_file> files;  // every entry's files, in the order of the copy
    std::vector<Cpatch_report> patches;
    Cdigest_summary digests;          // gamedata.sha256 against those files
};

// Checks the update folder that is the current directory, as the updater works in
// its own folder. Reads only; shows no box.
Cfolder_check check_update_folder();

// One destination file of the update, once however often it is copied.
struct Cinstall_file {
    std::wstring path;  // relative to the installation folder
    bool exists = false;
    bool blocked = false;  // a folder stands there, or a file where a folder must be
};

// What the installed file a patch turns into its new version is now.
enum class Cpatched_state {
    to_patch,       // the version before.sha256 lists: the patch is applied
    already_new,    // the version after.sha256 lists: left alone
    other_version,  // neither: the updater stops
    missing,
    unreadable,
};

struct Cpatched_target {
    std::wstring path;  // relative to the installation folder
    Cpatched_state state = Cpatched_state::to_patch;
};

// What the update would do to one installation.
struct Cinstallation_check {
    std::wstring install_dir;
    std::vector<Cinstall_file> files;  // in the order of the copy
    std::vector<Cpatched_target> patched;  // each readable patch's target, in entry order
    std::uint64_t cluster = 0;         // bytes per cluster of its volume
    std::uint64_t room = 0;            // bytes the update needs there (room_needed)
    bool free_known = false;
    std::uint64_t free = 0;            // bytes free there for this user
    Cfindings findings;                // errors: destinations the updater would refuse
};

// Compares what the update copies and patches with the installation folder (a full
// path): each patched file is hashed as the updater hashes it. Reads only.
Cinstallation_check check_installation(const std::vector<Ccopied_file>& files,
                                       const std::vector<Cpatch_report>& patches,
                                       const std::wstring& install_dir);
