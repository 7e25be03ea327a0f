#pragma once
// The record of a run made from its plan: each target once, the folders the
// installation lacks, and which staged file goes where.

#include <cstddef>
#include <string>
#include <vector>

#include "copy/plan/update_plan.h"
#include "copy/record/run_record.h"

// The record of the run that installs `plan` into dest_dir: each target once,
// staged under the number of its first file in the plan; `staged` gets each file
// of the plan its staged number.
Crun_record record_of_plan(const std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                           std::vector<std::size_t>& staged);
