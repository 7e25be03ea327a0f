#pragma once
// The installation of the planned files, which changes all at once or not at all:
// the run's record written (copy/record/), every new file written in full to the
// staging folder (copy/write/), then put in place (copy/place/), and the old files
// removed with the staging folder and the record once the last new file is in place.
// A failure at any point puts the installation back as it was (copy/mend/).

#include <cstdint>
#include <vector>

#include "copy/base/fault.h"
#include "copy/base/update_folders.h"
#include "copy/plan/update_plan.h"
#include "copy/write/copier.h"

// Installs `plan` with `copier`, whose progress counts down run_remaining of
// run_total. A fault, with the installation as it was; a file planned twice is
// written twice and put in place once. A cut through the tests' seam passes
// Crun_cut_off on, leaving everything as it is.
Cfault install_files(const Cupdate_folders& folders, const std::vector<Cplanned_file>& plan,
                     Ccopier& copier, std::uint64_t run_total, std::uint64_t& run_remaining);
