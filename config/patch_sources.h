#pragma once
// What the checks of the #PATCH_FILE entries find, without telling anyone: the
// updater's check_patch_sources turns the first fault into its message boxes, the
// publisher's check lists every one.
//
// An entry names an installed file below exe_dir that the patch
// gamedata\<entry>.vcdiff turns into its new version. before.sha256 and
// after.sha256, beside update.ini, list the installed file as it must be before the
// update and as the update leaves it.

#include <string>
#include <vector>

#include "session/update_info.h"

inline const wchar_t* const patch_suffix = L".vcdiff";
inline const wchar_t* const before_list_name = L"before.sha256";
inline const wchar_t* const after_list_name = L"after.sha256";

enum class Cpatch_entry_fault {
    none,
    empty,        // #PATCH_FILE = ""
    unsafe,       // could reach outside the installation or the source folder
    twice,        // the same path patched by an earlier entry
    also_copied,  // a #COPY_FILE entry copies the file, its patch or a folder holding them
    missing,      // no gamedata\<entry>.vcdiff
};

// source_dir, one '\', the entry and ".vcdiff".
std::wstring patch_source_path(const std::wstring& source_dir, const std::wstring& entry);

// Whether the copy entry copies the patched file, its patch, or a folder that holds
// them (compared as digest lists' paths are).
bool copy_entry_covers_patch(const std::wstring& copy_entry, const std::wstring& patch_entry);

// The first fault of the entry at `index` of `patches`, in the order the updater
// tests them.
Cpatch_entry_fault patch_entry_fault(const std::wstring& source_dir,
                                     const std::vector<std::wstring>& patches, std::size_t index,
                                     const std::vector<std::wstring>& copies);

// The digests `list` gives the path `entry` (as digest lists' paths are matched),
// one for each line that names it; empty when none does.
std::vector<Csha256_digest> listed_for(const std::vector<Clisted_digest>& list,
                                       const std::wstring& entry);
