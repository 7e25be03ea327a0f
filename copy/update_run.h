#pragma once
// The update proper, led from here: the progress dialog around the listing of every
// #COPY_FILE entry, the check of the installation, and the installation of the
// files. The leader reads the update state record once, hands each phase what it
// needs, and alone turns a phase's fault into the warning the player reads.

#include "copy/base/fault.h"
#include "copy/progress_view.h"

// A step of the update sequence: shows the progress dialog, runs update_process,
// removes the dialog. True when every file was copied.
bool run_update();

// Lists what every entry stands for, checks that gamedata.sha256 (when given) lists
// every file, checks the installation, adds up the bytes, then installs the files,
// each checked against its digest as it is written. False after telling the user.
bool update_process();

// A step of the update, after the installation has been found and checked and
// before the question: a record left by a cut-off run is carried out without a
// word. One that cannot be carried out is named, the closing notice follows, and
// the run goes no further.
bool mend_cut_off_run();

// How the run tells a fault: the dialog brought up to date first (a warning never
// appears over a stale line), then the warning and the closing notice. False.
bool report_fault(Cprogress_view& view, const Cfault& fault);
