#pragma once
// Controls that wrap the items of a dialog template: a static text and a progress
// bar. A control object is a member of its dialog object and is bound to its item
// when the dialog receives WM_INITDIALOG. Every operation does nothing while the
// control has no window (item missing, or dialog closed by the user).

#include <windows.h>

#include <string>

#include "toolkit/window_base.h"

namespace ruko {

class Ccontrol : public Cwindow_base {
public:
    Ccontrol();
    ~Ccontrol() = default;

    // Binds the object to item `id` of `parent`'s window and lists it among the
    // parent's children. A missing item leaves the control without window; it is
    // listed all the same.
    void bind_item(Cwindow_base& parent, int id);

    std::wstring class_name;  // the control's window class, for the reader
};

class Cc_static : public Ccontrol {
public:
    Cc_static();
};

class Cc_progress : public Ccontrol {
public:
    void set_range(int low, int high);
    void set_pos(int position);
    // The bar's position; 0 without window.
    int get_pos() const;
};

}  // namespace ruko
