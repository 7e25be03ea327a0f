#pragma once
// The progress dialog of the update run: one line naming the file being copied and
// two bars, the whole update (progress[0]) and the current file (progress[1]),
// both in the range 0 to 1000.

#include <windows.h>

#include "toolkit/controls.h"
#include "toolkit/dialog.h"

class Cupdate_process_dialog : public ruko::Cdialog {
public:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    ruko::Cc_static file_text;     // item 1001
    ruko::Cc_progress progress[2];  // items 1002 and 1003
};

// The one progress dialog object; it lives for the whole process, its window only
// while the update copies.
extern Cupdate_process_dialog update_process_dialog;
