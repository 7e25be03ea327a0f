#include "toolkit/controls.h"

#include <commctrl.h>

namespace ruko {

Ccontrol::Ccontrol()
{
    anchor = 7;
}

void Ccontrol::bind_item(Cwindow_base& parent, int id)
{
    name.clear();
    anchor = 0;
    const HWND item = parent.hwnd ? GetDlgItem(parent.hwnd, id) : nullptr;
    // A control still bound to another window lets go of it first, so that window
    // is not left with a property that names this object.
    if (hwnd && hwnd != item)
        detach();
    hwnd = item;
    attach(item);
    parent.children.push_back(this);
}

Cc_static::Cc_static()
{
    class_name = L"Static";
}

void Cc_progress::set_range(int low, int high)
{
    if (hwnd)
        SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void Cc_progress::set_pos(int position)
{
    if (hwnd)
        SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int Cc_progress::get_pos() const
{
    if (!hwnd)
        return 0;
    return static_cast<int>(SendMessageW(hwnd, PBM_GETPOS, 0, 0));
}

}  // namespace ruko
