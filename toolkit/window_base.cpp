#include "toolkit/window_base.h"

#include <prsht.h>

#include <algorithm>

#include "session/app_info.h"
#include "toolkit/geometry.h"

namespace ruko {


namespace {

const wchar_t object_property[] = L"this";

// The slot that attach replaces: the dialog procedure of a dialog box, the window
// procedure of any other window.
int proc_slot(bool is_dialog)
{
    return is_dialog ? DWLP_DLGPROC : GWLP_WNDPROC;
}

LONG_PTR shared_proc_value()
{
    return reinterpret_cast<LONG_PTR>(&shared_window_proc);
}

void remove_all(std::vector<HWND>& list, HWND h)
{
    list.erase(std::remove(list.begin(), list.end(), h), list.end());
}

RECT window_rect_of(HWND h)
{
    RECT rect = {};
    if (!GetWindowRect(h, &rect))
        rect = RECT{};
    return rect;
}

RECT client_rect_of(HWND h)
{
    RECT rect = {};
    if (!GetClientRect(h, &rect))
        rect = RECT{};
    return rect;
}

// The object named by the creation data of a window's first messages: the
// CREATESTRUCTW of WM_NCCREATE and WM_CREATE, or the initialisation parameter of
// WM_INITDIALOG, which for a property-sheet page is the page's lParam.
Cwindow_base* object_from_creation(UINT message, LPARAM lparam)
{
    if (!lparam)
        return nullptr;
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
        return static_cast<Cwindow_base*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    case WM_INITDIALOG:
        if (*reinterpret_cast<const DWORD*>(lparam) == PROPSHEETPAGEW_V2_SIZE)
            return reinterpret_cast<Cwindow_base*>(reinterpret_cast<PROPSHEETPAGEW*>(lparam)->lParam);
        return reinterpret_cast<Cwindow_base*>(lparam);
    default:
        return nullptr;
    }
}

// What a window without object gets: "not handled" for a dialog, the default
// window procedure otherwise.
LRESULT unbound_answer(HWND h, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (has_dialog_proc(h))
        return 0;
    return DefWindowProcW(h, message, wparam, lparam);
}

}  // namespace

bool has_dialog_proc(HWND h)
{
    return get_window_long(h, DWLP_DLGPROC) != 0;
}

DLGPROC shared_dialog_proc()
{
    // A dialog procedure and a window procedure take the same arguments and return
    // a pointer-sized integer; the dialog manager calls this one as a DLGPROC.
    return reinterpret_cast<DLGPROC>(&shared_window_proc);
}

Cwindow_base* object_of(HWND h)
{
    return h ? static_cast<Cwindow_base*>(GetPropW(h, object_property)) : nullptr;
}

LRESULT CALLBACK shared_window_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam)
{
    Cwindow_base* object = object_of(h);
    if (!object) {
        object = object_from_creation(message, lparam);
        if (!object)
            return unbound_answer(h, message, wparam, lparam);
        object->attach(h);
    }
    object->pre_proc(message, wparam, lparam);
    const LRESULT result = object->window_proc(message, wparam, lparam);
    if (message == WM_DESTROY)
        object->detach();
    return result;
}

Cwindow_base::~Cwindow_base()
{
    for (HICON& icon : icons) {
        if (icon)
            DestroyIcon(icon);
        icon = nullptr;
    }
    detach();
}

void Cwindow_base::pre_proc(UINT message, WPARAM, LPARAM)
{
    if (message == WM_CREATE && hwnd)
        register_window();
}

LRESULT Cwindow_base::window_proc(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!hwnd)
        return 0;
    switch (message) {
    case WM_DESTROY:
        unregister_window();
        break;
    case WM_CLOSE:
        // The nested WM_DESTROY detaches the object, so the default answer below
        // finds no window and answers 0.
        DestroyWindow(hwnd);
        break;
    case WM_SYSCOMMAND:
        if (wparam & 0xF010)
            reset_snap_drag();
        break;
    case WM_SIZING:
        sizing_step(*this, wparam, reinterpret_cast<RECT*>(lparam));
        break;
    case WM_MOVING:
        if (snap)
            moving_step(*this, reinterpret_cast<RECT*>(lparam));
        break;
    default:
        break;
    }
    return default_answer(message, wparam, lparam);
}

LRESULT Cwindow_base::default_answer(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!hwnd)
        return 0;
    if (prev_proc)
        return CallWindowProcW(prev_proc, hwnd, message, wparam, lparam);
    if (has_dialog_proc(hwnd))
        return 0;
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool Cwindow_base::attach(HWND h)
{
    if (!h)
        return false;
    hwnd = h;
    SetPropW(h, object_property, static_cast<HANDLE>(this));

    const HWND parent_window = reinterpret_cast<HWND>(get_window_long(h, GWLP_HWNDPARENT));
    if (const Cwindow_base* parent = object_of(parent_window)) {
        RECT rect = window_rect_of(h);
        POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
        ScreenToClient(parent->hwnd, &corners[0]);
        ScreenToClient(parent->hwnd, &corners[1]);
        rect_in_parent = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    }

    is_dialog = has_dialog_proc(h);
    const int slot = proc_slot(is_dialog);
    // A window that already runs shared_window_proc (a toolkit dialog, or a window
    // attached before) keeps the procedure it had before the first attach.
    if (get_window_long(h, slot) != shared_proc_value())
        prev_proc = reinterpret_cast<WNDPROC>(set_window_long(h, slot, shared_proc_value()));
    return true;
}

void Cwindow_base::detach()
{
    if (!hwnd)
        return;
    if (prev_proc) {
        set_window_long(hwnd, proc_slot(is_dialog), reinterpret_cast<LONG_PTR>(prev_proc));
        prev_proc = nullptr;
    }
    RemovePropW(hwnd, object_property);
    if (hwnd == app_info.main_window)
        app_info.main_window = nullptr;
    hwnd = nullptr;
}

void Cwindow_base::register_window()
{
    if (!hwnd)
        return;
    window_rect = window_rect_of(hwnd);
    client_rect = client_rect_of(hwnd);
    app_info.dialog_windows.push_back(hwnd);
}

bool Cwindow_base::unregister_window()
{
    if (snap)
        remove_all(snap_list, hwnd);
    remove_all(app_info.dialog_windows, hwnd);
    if (hwnd && hwnd == app_info.main_window)
        PostQuitMessage(0);
    return true;
}

void Cwindow_base::show(bool visible)
{
    if (!hwnd)
        return;
    const bool is_visible = (get_window_long(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible && !is_visible)
        ShowWindow(hwnd, SW_SHOW);
    else if (!visible && is_visible)
        ShowWindow(hwnd, SW_HIDE);
}

void Cwindow_base::destroy()
{
    if (hwnd)
        DestroyWindow(hwnd);
}

std::wstring Cwindow_base::get_text() const
{
    if (!hwnd)
        return std::wstring();
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

void Cwindow_base::set_text(const std::wstring& text)
{
    if (!hwnd)
        return;
    if (get_text() != text)
        SetWindowTextW(hwnd, text.c_str());
}

}  // namespace ruko
