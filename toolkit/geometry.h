#pragma once
// Window geometry steps that the toolkit's window procedures call: anchoring of a
// dialog's controls, minimum size, and edge snapping while a window is moved or
// sized.
//
// The arithmetic is kept apart from the window calls: the functions in the second
// half of this header take rectangles, points and flags and call no window
// function, so each rule can be checked on its own.

#include <windows.h>

#include <vector>

namespace ruko {

// What the steps read of a toolkit window: its handle, the rectangles recorded
// when it was registered or bound, and its layout settings. Every toolkit window
// object is one (Cwindow_base derives from it).
struct Cwindow_placement {
    HWND hwnd = nullptr;
    RECT window_rect = {};     // screen coordinates, recorded at registration
    RECT client_rect = {};     // recorded at registration
    RECT rect_in_parent = {};  // parent client coordinates, recorded by attach
    bool keep_min_size = false;
    bool snap = false;
    int anchor = 0;  // layout anchor 1..9; 0 or less: never moved
};

// The windows whose edges snap to each other while they are moved or sized.
extern std::vector<HWND> snap_list;

// ---- Steps called from the window procedures ----

// WM_SIZING: snaps the dragged edges when `snap` is set, then keeps the minimum
// size when `keep_min_size` is set.
void sizing_step(Cwindow_placement& window, WPARAM edge, RECT* proposed);

// WM_MOVING of a window whose `snap` is set.
void moving_step(Cwindow_placement& window, RECT* proposed);

// WM_SYSCOMMAND: the next move or size begins a new drag.
void reset_snap_drag();

// WM_SIZE of a dialog: moves one bound control by its anchor for the change of the
// dialog's client size since it was created.
void anchor_window(Cwindow_placement& window, int dx, int dy);

// The window's rectangle in its parent's client coordinates, taken now; all zero
// when the window or its parent cannot be asked.
RECT rect_in_parent_now(HWND window);

// The work area of the monitor nearest to `point`; the primary work area when no
// monitor answers.
RECT work_area_at(POINT point);

// ---- Snap drag record ----

enum {
    snap_mode_none = 0,
    snap_mode_moving = 1,
    snap_mode_sizing = 2,
};

// What the current move or size loop began with. The offsets are the cursor
// minus the dragged edge (minus the top-left corner when moving).
struct Csnap_drag {
    int mode = snap_mode_none;
    HWND window = nullptr;
    int offset_x = 0;
    int offset_y = 0;
    int width = 0;  // moving only
    int height = 0;
    bool left = false;  // the edges that follow the cursor and may snap
    bool right = false;
    bool top = false;
    bool bottom = false;
};

// The one drag of the toolkit; a new loop over another window, or with the other
// message, starts it afresh.
extern Csnap_drag snap_drag;

// ---- Pure geometry ----

// How close (pixels) an edge must come to snap, and how far around a rectangle a
// candidate must reach for its edges to be compared at all.
constexpr int snap_distance = 16;

// Anchor codes lie like a numeric keypad: 7 stays, 3 moves with the bottom-right
// corner, 5 stretches both ways. 0 or less never moves.
RECT anchored_rect(const RECT& rect_in_parent, int anchor, int dx, int dy);

// WM_SIZING with keep_min_size: grows the proposed rectangle back to the
// creation size by moving only the edge(s) being dragged.
void apply_min_size(RECT& proposed, WPARAM edge, const RECT& creation_rect);

// Starts a drag record for the window's move loop, or its size loop by `edge`.
void begin_move_drag(Csnap_drag& drag, HWND window, const RECT& proposed, POINT cursor);
void begin_size_drag(Csnap_drag& drag, HWND window, WPARAM edge, const RECT& proposed,
                     POINT cursor);

// Where the window would be if its dragged edges followed the cursor exactly.
RECT snap_candidate(const Csnap_drag& drag, const RECT& proposed, POINT cursor);

// True when `candidate` reaches into `other` grown by snap_distance on every side
// (strictly: touching the grown border is not enough).
bool near_enough_to_snap(const RECT& candidate, const RECT& other);

// The snapping match of one axis: against a window, or against the work area,
// which wins when both matched.
struct Csnap_axis {
    HWND window = nullptr;
    int kind = 0;  // 0: ref.lo - c.lo, 1: ref.hi - c.lo, 2: ref.lo - c.hi, 3: ref.hi - c.hi
    bool work_area = false;
};
struct Csnap_match {
    Csnap_axis x;
    Csnap_axis y;
};

// Another window that the candidate may snap to.
struct Csnap_target {
    HWND window;
    RECT rect;
};

// Compares the candidate's flagged edges with the targets (in order) and then with
// the work area; a later test that holds overwrites an earlier one of its axis.
Csnap_match match_snap(const Csnap_drag& drag, const RECT& candidate,
                       const std::vector<Csnap_target>& targets, const RECT& work_area);

// Shifts the flagged edges of `candidate` so that they meet the reference of their
// axis; a null reference leaves that axis alone.
RECT apply_snap(const Csnap_drag& drag, RECT candidate, const Csnap_match& match,
                const RECT* x_reference, const RECT* y_reference);

// match_snap and apply_snap with the same rectangles as references.
RECT snap_rect(const Csnap_drag& drag, const RECT& candidate,
               const std::vector<Csnap_target>& targets, const RECT& work_area);

}  // namespace ruko
