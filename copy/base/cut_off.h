#pragma once
// The seam through which tests cut a run off between two of its steps, the way a
// power loss would: at each step the run asks the seam, and when it answers true
// the run stops dead (Crun_cut_off is thrown and caught by the run), leaving the
// installation, the staging folder and the record as they are.

using Ccut_off_seam = bool (*)();
Ccut_off_seam replace_cut_off_seam(Ccut_off_seam seam);
struct Crun_cut_off {};
void cut_off_point();
