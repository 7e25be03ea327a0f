#pragma once
// Mending: a run that did not end is carried to one end or the other from its
// record (copy/record/run_record.h). A run cut off before its record said "done" is undone: the
// old files put back, the new files removed, the folders it made removed; a run
// cut off after it is finished: the old files removed. Then the staging folder
// goes, and the record last. The run itself undoes itself the same way when a
// file cannot be written or put in place.

#include <string>

#include "copy/base/fault.h"
#include "copy/record/run_record.h"

// Carries out the record against the installation in dest_dir. True when all of
// it was done and nothing of the run is left; false leaves the record and what
// could not be done for another try.
bool carry_out_run_record(const std::wstring& dest_dir, const Crun_record& record);

// A record left by a cut-off run in dest_dir is carried out (a staging folder
// without a record, left by a run cut off before it wrote one, is removed). A fault
// names the record, or the staging folder, that could not be carried out.
Cfault mend_cut_off_run_in(const std::wstring& dest_dir);
