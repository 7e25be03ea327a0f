#include "toolkit/dialog.h"

#include "session/app_info.h"
#include "toolkit/geometry.h"

namespace ruko {

Cdialog::Cdialog()
{
    splitters.reset();
}

bool Cdialog::create(const std::wstring& window_name, WORD template_id)
{
    if (hwnd)
        return false;
    name = window_name;
    keep_min_size = false;
    snap = false;
    anchor = 0;
    // WM_INITDIALOG attaches and registers the dialog while this call runs, and the
    // derived class binds its controls.
    const HWND created = CreateDialogParamW(app_info.instance, MAKEINTRESOURCEW(template_id), nullptr,
                                            shared_dialog_proc(),
                                            reinterpret_cast<LPARAM>(static_cast<Cwindow_base*>(this)));
    hwnd = created;
    if (!created)
        return false;
    if (snap)
        snap_list.push_back(hwnd);
    return true;
}

void Cdialog::pre_proc(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG)
        register_window();
    else
        Cwindow_base::pre_proc(message, wparam, lparam);
}

LRESULT Cdialog::window_proc(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY:
        children.clear();  // the control objects detach on their own WM_DESTROY
        break;
    case WM_SIZE:
        resize_step(wparam, lparam);
        break;
    case WM_SETCURSOR:
        if (splitters.set_cursor(hwnd))
            return TRUE;
        break;
    case WM_MOUSEMOVE:
        if (splitters.mouse_move())
            return 0;
        break;
    case WM_LBUTTONDOWN:
        if (splitters.button_down(hwnd))
            return 0;
        break;
    default:
        break;
    }
    return Cwindow_base::window_proc(message, wparam, lparam);
}

// Moves the bound controls by the change of the client size since WM_INITDIALOG.
void Cdialog::resize_step(WPARAM wparam, LPARAM lparam)
{
    const int width = LOWORD(lparam);
    const int height = HIWORD(lparam);
    const int dx = width - (client_rect.right - client_rect.left);
    const int dy = height - (client_rect.bottom - client_rect.top);
    for (Cwindow_base* child : children)
        anchor_window(*child, dx, dy);
    if (forward_size)
        SendMessageW(size_target, WM_SIZE, wparam, lparam);
    splitters.relayout();
}

bool pump_messages()
{
    if (app_info.quit_received)
        return false;
    MSG message = {};
    // Peek first, so that an empty queue returns at once instead of waiting.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            app_info.quit_received = true;
            return false;
        }
        if (got == -1)  // no message after all; the caller pumps again later
            return true;
        route_message(message);
    }
    return true;
}

bool route_message(MSG& message)
{
    // By index: a dialog may be destroyed, and leave the list, while it handles
    // the message.
    for (size_t i = 0; i < app_info.dialog_windows.size(); ++i) {
        const HWND dialog = app_info.dialog_windows[i];
        if (has_dialog_proc(dialog) && IsDialogMessageW(dialog, &message))
            return true;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

}  // namespace ruko
