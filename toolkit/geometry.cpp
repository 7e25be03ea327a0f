#include "toolkit/geometry.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/window_long.h"

namespace ruko {

std::vector<HWND> snap_list;
Csnap_drag snap_drag;

// ---- Pure geometry ----

RECT anchored_rect(const RECT& rect_in_parent, int anchor, int dx, int dy)
{
    RECT r = rect_in_parent;
    if (anchor <= 0) return r;
    const int column = (anchor - 1) % 3;
    const int row = (9 - anchor) / 3;
    if (column == 2) r.left += dx;
    if (row == 2) r.top += dy;
    if (column == 1 || column == 2) r.right += dx;
    if (row == 1 || row == 2) r.bottom += dy;
    return r;
}

void apply_min_size(RECT& proposed, WPARAM edge, const RECT& creation_rect)
{
    const LONG width = std::max(proposed.right - proposed.left, creation_rect.right - creation_rect.left);
    const LONG height = std::max(proposed.bottom - proposed.top, creation_rect.bottom - creation_rect.top);
    switch (edge) {
    case WMSZ_LEFT: proposed.left = proposed.right - width; break;
    case WMSZ_RIGHT: proposed.right = proposed.left + width; break;
    case WMSZ_TOP: proposed.top = proposed.bottom - height; break;
    case WMSZ_TOPLEFT:
        proposed.top = proposed.bottom - height;
        proposed.left = proposed.right - width;
        break;
    case WMSZ_TOPRIGHT:
        proposed.top = proposed.bottom - height;
        proposed.right = proposed.left + width;
        break;
    case WMSZ_BOTTOM: proposed.bottom = proposed.top + height; break;
    case WMSZ_BOTTOMLEFT:
        proposed.left = proposed.right - width;
        proposed.bottom = proposed.top + height;
        break;
    case WMSZ_BOTTOMRIGHT:
        proposed.right = proposed.left + width;
        proposed.bottom = proposed.top + height;
        break;
    default: break;
    }
}

void begin_move_drag(Csnap_drag& drag, HWND window, const RECT& proposed, POINT cursor)
{
    drag = Csnap_drag{};
    drag.mode = snap_mode_moving;
    drag.window = window;
    drag.width = proposed.right - proposed.left;
    drag.height = proposed.bottom - proposed.top;
    drag.offset_x = cursor.x - proposed.left;
    drag.offset_y = cursor.y - proposed.top;
    drag.left = drag.right = drag.top = drag.bottom = true;
}

void begin_size_drag(Csnap_drag& drag, HWND window, WPARAM edge, const RECT& proposed,
                     POINT cursor)
{
    drag = Csnap_drag{};
    drag.mode = snap_mode_sizing;
    drag.window = window;
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
        drag.offset_x = cursor.x - proposed.left;
        drag.left = true;
    }
    if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) {
        drag.offset_x = cursor.x - proposed.right;
        drag.right = true;
    }
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
        drag.offset_y = cursor.y - proposed.top;
        drag.top = true;
    }
    if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) {
        drag.offset_y = cursor.y - proposed.bottom;
        drag.bottom = true;
    }
}

RECT snap_candidate(const Csnap_drag& drag, const RECT& proposed, POINT cursor)
{
    const LONG x = cursor.x - drag.offset_x;
    const LONG y = cursor.y - drag.offset_y;
    if (drag.mode == snap_mode_moving) {
        // The whole window follows the cursor; what the system proposed is not used.
        return RECT{x, y, x + drag.width, y + drag.height};
    }
    RECT c = proposed;
    if (drag.left) c.left = x;
    if (drag.right) c.right = x;
    if (drag.top) c.top = y;
    if (drag.bottom) c.bottom = y;
    return c;
}

bool near_enough_to_snap(const RECT& c, const RECT& o)
{
    return c.left < o.right + snap_distance && c.right > o.left - snap_distance &&
           c.top < o.bottom + snap_distance && c.bottom > o.top - snap_distance;
}

namespace {

bool within_snap_distance(LONG a, LONG b)
{
    return std::abs(a - b) <= snap_distance;
}

// The kind of the last edge test of each axis that holds, or -1.
struct Cedge_kinds {
    int x = -1;
    int y = -1;
};

Cedge_kinds edge_kinds(const Csnap_drag& drag, const RECT& c, const RECT& o)
{
    Cedge_kinds k;
    if (drag.left) {
        if (within_snap_distance(o.left, c.left)) k.x = 0;
        if (within_snap_distance(o.right, c.left)) k.x = 1;
    }
    if (drag.right) {
        if (within_snap_distance(o.left, c.right)) k.x = 2;
        if (within_snap_distance(o.right, c.right)) k.x = 3;
    }
    if (drag.top) {
        if (within_snap_distance(o.top, c.top)) k.y = 0;
        if (within_snap_distance(o.bottom, c.top)) k.y = 1;
    }
    if (drag.bottom) {
        if (within_snap_distance(o.top, c.bottom)) k.y = 2;
        if (within_snap_distance(o.bottom, c.bottom)) k.y = 3;
    }
    return k;
}

LONG shift_for(int kind, LONG ref_lo, LONG ref_hi, LONG c_lo, LONG c_hi)
{
    switch (kind) {
    case 0: return ref_lo - c_lo;
    case 1: return ref_hi - c_lo;
    case 2: return ref_lo - c_hi;
    default: return ref_hi - c_hi;
    }
}

}  // namespace

Csnap_match match_snap(const Csnap_drag& drag, const RECT& candidate,
                       const std::vector<Csnap_target>& targets, const RECT& work_area)
{
    Csnap_match match;
    for (const Csnap_target& target : targets) {
        if (!near_enough_to_snap(candidate, target.rect)) continue;
        const Cedge_kinds k = edge_kinds(drag, candidate, target.rect);
        if (k.x >= 0) {
            match.x.window = target.window;
            match.x.kind = k.x;
        }
        if (k.y >= 0) {
            match.y.window = target.window;
            match.y.kind = k.y;
        }
    }
    if (near_enough_to_snap(candidate, work_area)) {
        const Cedge_kinds k = edge_kinds(drag, candidate, work_area);
        if (k.x >= 0) {
            match.x.work_area = true;
            match.x.kind = k.x;
        }
        if (k.y >= 0) {
            match.y.work_area = true;
            match.y.kind = k.y;
        }
    }
    return match;
}

RECT apply_snap(const Csnap_drag& drag, RECT c, const Csnap_match& match,
                const RECT* x_reference, const RECT* y_reference)
{
    if (x_reference) {
        const LONG shift = shift_for(match.x.kind, x_reference->left, x_reference->right, c.left, c.right);
        if (drag.left) c.left += shift;
        if (drag.right) c.right += shift;
    }
    if (y_reference) {
        const LONG shift = shift_for(match.y.kind, y_reference->top, y_reference->bottom, c.top, c.bottom);
        if (drag.top) c.top += shift;
        if (drag.bottom) c.bottom += shift;
    }
    return c;
}

RECT snap_rect(const Csnap_drag& drag, const RECT& candidate,
               const std::vector<Csnap_target>& targets, const RECT& work_area)
{
    const Csnap_match match = match_snap(drag, candidate, targets, work_area);
    auto reference = [&](const Csnap_axis& axis) -> const RECT* {
        if (axis.work_area) return &work_area;
        for (auto it = targets.rbegin(); it != targets.rend(); ++it) {
            if (axis.window && it->window == axis.window) return &it->rect;
        }
        return nullptr;
    };
    return apply_snap(drag, candidate, match, reference(match.x), reference(match.y));
}

// ---- Steps called from the window procedures ----

RECT rect_in_parent_now(HWND window)
{
    RECT r = {};
    if (!window || !GetWindowRect(window, &r)) return RECT{};
    const HWND parent = reinterpret_cast<HWND>(get_window_long(window, GWLP_HWNDPARENT));
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ScreenToClient(parent, &corners[0]);
    ScreenToClient(parent, &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

RECT work_area_at(POINT point)
{
    const HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

namespace {

// The work area under the middle of the window's bottom edge, where it stands now.
RECT work_area_of(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return work_area_at(POINT{r.left + (r.right - r.left) / 2, r.bottom});
}

// The other visible snapping windows, in list order.
std::vector<Csnap_target> snap_targets(HWND self)
{
    std::vector<Csnap_target> targets;
    for (HWND other : snap_list) {
        if (other == self) continue;
        if (!(GetWindowLongW(other, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r = {};
        GetWindowRect(other, &r);
        targets.push_back(Csnap_target{other, r});
    }
    return targets;
}

// The reference of a matched axis, asked anew: the work area wins over a window.
bool axis_reference(const Csnap_axis& axis, HWND self, RECT& reference)
{
    if (axis.work_area) {
        reference = work_area_of(self);
        return true;
    }
    if (axis.window) {
        reference = RECT{};
        GetWindowRect(axis.window, &reference);
        return true;
    }
    return false;
}

// One WM_MOVING or WM_SIZING of a snapping window: the dragged edges follow the
// cursor and jump to nearby edges of other windows and of the work area.
void snap_step(Cwindow_placement& window, int mode, WPARAM edge, RECT& proposed)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    if (snap_drag.mode != mode || snap_drag.window != window.hwnd) {
        if (mode == snap_mode_moving)
            begin_move_drag(snap_drag, window.hwnd, proposed, cursor);
        else
            begin_size_drag(snap_drag, window.hwnd, edge, proposed, cursor);
    }
    const RECT candidate = snap_candidate(snap_drag, proposed, cursor);
    const Csnap_match match =
        match_snap(snap_drag, candidate, snap_targets(window.hwnd), work_area_of(window.hwnd));
    RECT x_reference = {};
    RECT y_reference = {};
    const bool has_x = axis_reference(match.x, window.hwnd, x_reference);
    const bool has_y = axis_reference(match.y, window.hwnd, y_reference);
    proposed = apply_snap(snap_drag, candidate, match, has_x ? &x_reference : nullptr,
                          has_y ? &y_reference : nullptr);
}

}  // namespace

void sizing_step(Cwindow_placement& window, WPARAM edge, RECT* proposed)
{
    if (!window.hwnd || !proposed) return;
    if (window.snap) snap_step(window, snap_mode_sizing, edge, *proposed);
    if (window.keep_min_size) apply_min_size(*proposed, edge, window.window_rect);
}

void moving_step(Cwindow_placement& window, RECT* proposed)
{
    if (!window.hwnd || !window.snap || !proposed) return;
    snap_step(window, snap_mode_moving, 0, *proposed);
}

void reset_snap_drag()
{
    snap_drag.mode = snap_mode_none;
}

void anchor_window(Cwindow_placement& window, int dx, int dy)
{
    if (window.anchor <= 0) return;
    const RECT r = anchored_rect(window.rect_in_parent, window.anchor, dx, dy);
    if (!window.hwnd) return;
    SetWindowPos(window.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window.hwnd, nullptr, FALSE);
}

}  // namespace ruko
