#pragma once
// Splitter bars: a dialog's client area shared between two groups of child windows
// by a bar the user drags with the mouse.

#include <windows.h>

#include <string>
#include <vector>

namespace ruko {

class Cwindow_base;

// One bar. Owned by whoever creates it; a dialog only lists it.
struct Csplitter {
    bool valid = false;  // the last measurement succeeded
    int thickness = 0;
    int position = 0;  // left (vertical) or top (horizontal) edge of the bar
    int minimum = 0;
    int maximum = 0;
    int range_start = 0;
    int range_end = 0;
    int ratio = -1;  // position in 1/100000 of the range; -1 until first measured
    std::wstring names[2];
    bool vertical = false;  // true: left and right groups, the bar moves along x
    std::vector<Cwindow_base*> groups[2];
};

// The splitters of one dialog and the drag in progress.
class Csplitter_manager {
public:
    void add(Csplitter* splitter);
    void reset();
    // WM_SIZE: every splitter keeps its ratio of the new client size.
    void relayout();
    // WM_SETCURSOR: true (answer TRUE) when a bar is dragged or under the cursor.
    bool set_cursor(HWND dialog);
    // WM_LBUTTONDOWN: true (answer 0) when a drag began.
    bool button_down(HWND dialog);
    // WM_MOUSEMOVE: true (answer 0) while a bar is dragged with the button down.
    bool mouse_move();

    std::vector<Csplitter*> splitters;
    Csplitter* dragging = nullptr;
    int drag_start_cursor = 0;
    int drag_start_position = 0;
};

}  // namespace ruko
