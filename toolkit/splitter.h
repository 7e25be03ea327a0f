#pragma once
// Splitter bars: a dialog's client area shared between two groups of child windows
// by a bar the user drags with the mouse.
//
// Adding a bar to a dialog. The bar is the gap that the dialog template leaves
// between two groups of controls; the toolkit finds it from the controls' current
// rectangles every time, so nothing about its place is stored in advance. Give the
// dialog class a Csplitter member next to its control members, fill it in the
// class's constructor (the Cdialog constructor has already emptied the list) and
// list it once:
//
//     class Cbrowser_dialog : public ruko::Cdialog {
//     public:
//         Cbrowser_dialog() {
//             bar.vertical = true;              // left and right groups
//             bar.groups[0] = {&tree};          // left of the bar
//             bar.groups[1] = {&list, &info};   // right of the bar
//             splitters.add(&bar);
//         }
//         ruko::Cc_static tree, list, info;     // bound in WM_INITDIALOG
//         ruko::Csplitter bar;
//     };
//
// The groups hold the control objects, not their windows, so the listing stays
// right when the dialog is created again. From then on the dialog handles
// WM_SETCURSOR, WM_LBUTTONDOWN and WM_MOUSEMOVE over the bar, and on WM_SIZE the
// bar keeps its share of the client area. Anchoring runs first on WM_SIZE, so let
// the groups follow the dialog with their anchors (set them after bind_item, which
// clears them: for a vertical bar 4 on the left group and 5 on the right one, for a
// horizontal bar 8 above and 5 below); the splitter then moves the edges that face
// the bar. The windows of one splitter's groups must share one parent.

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
    // Lists a bar (not owned); the bar must outlive the dialog object.
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
    // The first listed bar under the cursor, or null.
    Csplitter* hit_test(HWND dialog) const;

    std::vector<Csplitter*> splitters;
    Csplitter* dragging = nullptr;
    int drag_start_cursor = 0;
    int drag_start_position = 0;
};

// ---- Steps over the groups' windows ----

// The rectangles of a group's windows in their parent's client coordinates, now.
std::vector<RECT> group_rects(const std::vector<Cwindow_base*>& group);
// The client width (vertical bar) or height of the parent of the first group's
// first window; 0 when there is none.
int parent_client_extent(const Csplitter& splitter);
// Measures the bar from its groups' windows and their parent's client size.
bool measure_splitter(Csplitter& splitter);
// Moves the groups' inner edges to the bar at `position`; nothing when the bar is
// not measured or the position is out of its limits.
void place_splitter(const Csplitter& splitter, int position, int thickness);

// ---- Pure splitter arithmetic ----

// Space (pixels) that each group keeps beside the bar.
constexpr int splitter_margin = 16;
constexpr int splitter_full_ratio = 100000;

// Smallest rectangle enclosing them all; all zero when there are none.
RECT union_rect(const std::vector<RECT>& rects);
// The gap between the two groups; all zero when either group is empty.
RECT splitter_bar_rect(const std::vector<RECT>& first, const std::vector<RECT>& second,
                       bool vertical);
// Fills thickness, position, limits, range and ratio from the groups' rectangles
// and the parent's client width (vertical) or height; false, with valid cleared,
// when a group is empty or the groups leave no room to move the bar.
bool measure_splitter(Csplitter& splitter, const std::vector<RECT>& first,
                      const std::vector<RECT>& second, int client_extent);
// WM_SIZE: measures again and, once the bar has a ratio, moves `position` to keep
// that ratio of the new range; false (bar left alone) when measuring fails.
bool remeasure_splitter(Csplitter& splitter, const std::vector<RECT>& first,
                        const std::vector<RECT>& second, int client_extent);
// The bar's position in 1/100000 of the range; 0 and 100000 at the limits.
int splitter_ratio(const Csplitter& splitter, int position);
// The position that keeps `ratio` of the range, within the limits.
int splitter_position(const Csplitter& splitter, int ratio);
// The position while dragging: the start position moved with the cursor, within
// the limits.
int splitter_drag_position(const Csplitter& splitter, int cursor, int start_cursor,
                           int start_position);
// True for a bar that is not all zero and holds the point (right and bottom
// exclusive).
bool bar_contains(const RECT& bar, POINT point);
// A first-group window ends at the bar; a second-group window starts after it.
RECT placed_first_rect(RECT rect, int position, bool vertical);
RECT placed_second_rect(RECT rect, int position, int thickness, bool vertical);

}  // namespace ruko
