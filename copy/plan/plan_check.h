#pragma once
// The plan checked before any byte of the installation changes: every file is
// listed in gamedata.sha256 (when there is one), every file that is already there
// can be written and replaced (tried again for about a second while another
// program holds it), and the volume has room for the update.

#include <vector>

#include "copy/base/fault.h"
#include "copy/base/run_progress.h"
#include "copy/base/update_folders.h"
#include "copy/digest/expected_digests.h"
#include "copy/plan/folder_listing.h"
#include "copy/plan/update_plan.h"

// Every file of the plan is listed; a fault names the first one that is not.
Cfault check_plan_listed(const Cexpected_digests& expected, const std::vector<Cplanned_file>& plan,
                         const std::wstring& source_dir);

// Fills every file's target, lists each folder of the installation once, and checks
// that each target can be replaced, that each patched target is the version its
// patch was made from (one that is new already leaves the plan), and that the
// volume has room.
Cfault check_before_copy(std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                         const Clisting_tick& tick, Crun_progress& progress);
