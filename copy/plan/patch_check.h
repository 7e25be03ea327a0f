#pragma once
// The installed files that patches turn into their new versions, checked before
// anything changes: each must be the version its patch was made from. One that is
// already the new version is left alone, so that the same update run twice does
// no harm.

#include <vector>

#include "copy/base/fault.h"
#include "copy/base/run_progress.h"
#include "copy/plan/update_plan.h"

// Hashes each patched target of the plan (its progress reported, both bars moving)
// and compares it with the lists: a target with its "before" digest stays in the
// plan, one with its "after" digest is taken out of it, any other is a fault, as is
// a target that is missing or no file.
Cfault check_patched_targets(std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                             Crun_progress& progress);
