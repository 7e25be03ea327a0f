#pragma once
// The binary patches make-update ships in place of whole files: which files are
// worth a patch, and the patch written beside the copies. A patch is tried only on
// a file large enough for the saving to matter, and shipped only when it is
// clearly smaller than the file; otherwise the file goes whole, as without patches.

#include <cstdint>
#include <string>

class Coutput_folder;

// A changed file smaller than this goes whole: its patch would save little, and
// each patch costs the player a check of the installed file before and after.
constexpr std::uint64_t patch_threshold = 64 << 10;
// A patch ships only when it is under this share of the new file (in percent):
// nearly as large as the file, it would save little download for the extra work.
constexpr std::uint64_t patch_share_percent = 80;

bool worth_a_patch(std::uint64_t new_size);
bool patch_pays(std::uint64_t patch_size, std::uint64_t new_size);

enum class Cpatch_result {
    written,           // the patch is at `patch_path` and pays
    does_not_pay,      // nothing left at `patch_path`: ship the file whole
    old_unreadable,
    new_unreadable,
    patch_unwritable,  // nothing left at `patch_path`
};

// Writes the VCDIFF patch that turns `old_path` into `new_path` (new_size bytes) at
// `patch_path`, a path that does not exist yet; `patch_size` gets its size. The
// writing stops as soon as the patch stops paying.
Cpatch_result write_patch(const std::wstring& old_path, const std::wstring& new_path,
                          std::uint64_t new_size, const std::wstring& patch_path,
                          Coutput_folder& out, std::uint64_t& patch_size);
