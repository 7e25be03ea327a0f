#pragma once
// The toolkit's modeless dialog, created from a template resource with
// shared_window_proc as its dialog procedure, and the non-blocking message pump
// that keeps it alive while a long operation runs on the same thread.

#include <windows.h>

#include <string>

#include "toolkit/splitter.h"
#include "toolkit/window_base.h"

namespace ruko {

class Cdialog : public Cwindow_base {
public:
    // The template of the program's one dialog, the progress dialog.
    static const WORD default_template = 101;

    Cdialog();
    ~Cdialog() = default;

    // Creates the dialog hidden (the template has no WS_VISIBLE) and without owner;
    // false when it already has a window or the window cannot be made.
    bool create(const std::wstring& window_name, WORD template_id = default_template);

    void pre_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    bool forward_size = false;     // also send every WM_SIZE to size_target
    HWND size_target = nullptr;
    Csplitter_manager splitters;   // not owned; empty unless the owner adds some

private:
    void resize_step(WPARAM wparam, LPARAM lparam);
};

// Handles every message that is waiting and returns at once: true while the
// program runs, false once WM_QUIT has been taken (on that call and every later
// one, without looking at the queue again).
bool pump_messages();

// Offers the message to the registered dialogs, else translates and dispatches it.
bool route_message(MSG& message);

}  // namespace ruko
