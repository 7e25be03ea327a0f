#include "copy/update_process_dialog.h"

#include "res/resource.h"

LRESULT Cupdate_process_dialog::window_proc(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        file_text.bind_item(*this, IDC_FILE_TEXT);
        progress[0].bind_item(*this, IDC_PROGRESS_TOTAL);
        progress[1].bind_item(*this, IDC_PROGRESS_FILE);
    }
    return Cdialog::window_proc(message, wparam, lparam);
}

Cupdate_process_dialog update_process_dialog;
