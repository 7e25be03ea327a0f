#pragma once
// What one update run will write, worked out before the first byte changes: every
// #COPY_FILE entry accounted for in the update data, file by file, in copy order.
// The installation is checked against the plan afterwards (plan_check.h).

#include <cstdint>
#include <string>
#include <vector>

#include "copy/base/fault.h"
#include "copy/plan/folder_listing.h"
#include "copy/plan/target.h"
#include "session/update_info.h"
#include "util/sha256.h"

// One file the run will write: copied whole from the update data, or made by a
// patch (source_dir\relative.vcdiff) from the installed file it replaces.
struct Cplanned_file {
    Cplanned_file() = default;
    Cplanned_file(std::wstring relative, std::uint64_t size, Ctarget target)
        : relative(std::move(relative)), size(size), target(std::move(target))
    {
    }

    std::wstring relative;  // below source_dir and dest_dir, '\' between levels
    std::uint64_t size = 0;  // the new file's: as listed, or as the patch makes it
    Ctarget target;          // what the installation holds there (filled by the check)
    bool patched = false;
    // A patched file's digests as before.sha256 and after.sha256 list them: the
    // installed file must have the first, the new bytes must have the second.
    std::vector<Csha256_digest> before;
    std::vector<Csha256_digest> after;
};

// Lists what one (normalized) entry stands for below source_dir and appends its
// files to `plan` in copy order; `is_folder` tells a folder entry. A fault when the
// entry names nothing the copy can find now (gone, or found only through the
// system's looser rules for names: a trailing dot or space, another case of a
// non-ASCII letter, a short name), or a folder cannot be read to its end. The
// update run and the publisher's check both plan through it.
Cfault plan_entry(Cfolder_cache& sources, const std::wstring& source_dir,
                  const std::wstring& entry, std::vector<Cplanned_file>& plan, bool& is_folder);

// Lists what every entry stands for, each folder of the update data once, and
// appends the files in copy order; the first entry that plan_entry finds at fault
// stops the plan. A folder entry without files adds nothing and is fine.
Cfault plan_update(const std::vector<std::wstring>& entries, const std::wstring& source_dir,
                   const Clisting_tick& tick, std::vector<Cplanned_file>& plan);

// Appends a file for each #PATCH_FILE entry (normalized), its size the new file's
// as the patch's headers give it, its digests those `before` and `after` list for
// it. A fault names a patch whose headers cannot be read.
Cfault plan_patches(const std::vector<std::wstring>& entries, const std::wstring& source_dir,
                    const std::vector<Clisted_digest>& before,
                    const std::vector<Clisted_digest>& after, std::vector<Cplanned_file>& plan);
