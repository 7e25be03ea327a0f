#pragma once
// The root of the window toolkit: one object bound to one window. Every message of
// a toolkit window goes through shared_window_proc, which finds the object through
// the window property "this" and hands the message to its pre_proc and window_proc.
//
// An object never owns its window: destroying the object detaches it and gives the
// window its previous procedure back, but leaves the window alive. The destructor
// is not virtual; toolkit objects are members or globals and are never deleted
// through a base pointer.

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/geometry.h"
#include "toolkit/window_long.h"

namespace ruko {

// The procedure of every toolkit window: dialog procedure of toolkit dialogs and
// replacement window procedure of subclassed controls.
LRESULT CALLBACK shared_window_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam);

// shared_window_proc typed as a dialog procedure, for CreateDialogParamW.
DLGPROC shared_dialog_proc();

// True when the window has a dialog procedure, i.e. it is a dialog box.
bool has_dialog_proc(HWND h);

class Cwindow_base : public Cwindow_placement {
public:
    Cwindow_base() = default;
    ~Cwindow_base();
    Cwindow_base(const Cwindow_base&) = delete;
    Cwindow_base& operator=(const Cwindow_base&) = delete;

    // Called for every message before window_proc; its result is ignored.
    virtual void pre_proc(UINT message, WPARAM wparam, LPARAM lparam);
    // The object's message handler.
    virtual LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam);

    // Binds the object to `h` and routes its messages through shared_window_proc.
    bool attach(HWND h);
    // Gives the window its previous procedure back and forgets it.
    void detach();
    // Records the window's rectangles and lists it among the registered windows.
    void register_window();
    // The WM_DESTROY step: takes the window off every list.
    bool unregister_window();

    void show(bool visible);
    void destroy();
    std::wstring get_text() const;
    // Sets the text only when it differs from what the window shows, so that
    // repeating the same text costs no repaint.
    void set_text(const std::wstring& text);

    // The answer for a message the object does not handle itself.
    LRESULT default_answer(UINT message, WPARAM wparam, LPARAM lparam);

    std::wstring name;
    WNDPROC prev_proc = nullptr;  // the window or dialog procedure that attach replaced
    bool is_dialog = false;
    std::vector<Cwindow_base*> children;  // bound controls, not owned
    HICON icons[2] = {};                  // owned: destroyed with the object
};

// The toolkit object bound to a window, or null.
Cwindow_base* object_of(HWND h);

}  // namespace ruko
