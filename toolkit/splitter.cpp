#include "toolkit/splitter.h"

#include "toolkit/geometry.h"
#include "toolkit/window_base.h"

#include <algorithm>

namespace ruko {

// ---- Pure splitter arithmetic ----

RECT union_rect(const std::vector<RECT>& rects)
{
    if (rects.empty()) return RECT{};
    RECT u = rects.front();
    for (const RECT& r : rects) {
        u.left = std::min(u.left, r.left);
        u.top = std::min(u.top, r.top);
        u.right = std::max(u.right, r.right);
        u.bottom = std::max(u.bottom, r.bottom);
    }
    return u;
}

RECT splitter_bar_rect(const std::vector<RECT>& first, const std::vector<RECT>& second,
                       bool vertical)
{
    if (first.empty() || second.empty()) return RECT{};
    const RECT a = union_rect(first);
    const RECT b = union_rect(second);
    if (vertical) return RECT{a.right, std::max(a.top, b.top), b.left, std::min(a.bottom, b.bottom)};
    return RECT{std::max(a.left, b.left), a.bottom, std::min(a.right, b.right), b.top};
}

bool measure_splitter(Csplitter& s, const std::vector<RECT>& first,
                      const std::vector<RECT>& second, int client_extent)
{
    s.valid = false;
    if (first.empty() || second.empty()) return false;
    // lo: where the first group's innermost window begins; hi: where the second
    // group's innermost window ends. Each keeps a margin beside the bar.
    LONG lo = s.vertical ? first.front().left : first.front().top;
    for (const RECT& r : first) lo = std::max(lo, s.vertical ? r.left : r.top);
    LONG hi = s.vertical ? second.front().right : second.front().bottom;
    for (const RECT& r : second) hi = std::min(hi, s.vertical ? r.right : r.bottom);

    const RECT bar = splitter_bar_rect(first, second, s.vertical);
    s.thickness = s.vertical ? bar.right - bar.left : bar.bottom - bar.top;
    s.position = s.vertical ? bar.left : bar.top;
    s.range_start = 0;
    s.range_end = client_extent;
    s.minimum = lo + splitter_margin;
    s.maximum = hi - s.thickness - (splitter_margin + 1);
    if (s.maximum < s.minimum) return false;
    s.ratio = splitter_ratio(s, s.position);
    s.valid = true;
    return true;
}

bool remeasure_splitter(Csplitter& s, const std::vector<RECT>& first,
                        const std::vector<RECT>& second, int client_extent)
{
    const int old_ratio = s.ratio;
    if (!measure_splitter(s, first, second, client_extent)) return false;
    if (old_ratio != -1) {
        s.ratio = old_ratio;
        s.position = splitter_position(s, old_ratio);
    }
    return true;
}

int splitter_ratio(const Csplitter& s, int position)
{
    if (position <= s.minimum) return 0;
    if (position >= s.maximum) return splitter_full_ratio;
    return MulDiv(splitter_full_ratio, position, s.range_end - s.range_start);
}

int splitter_position(const Csplitter& s, int ratio)
{
    if (ratio == 0) return s.minimum;
    if (ratio == splitter_full_ratio) return s.maximum;
    const int p = MulDiv(s.range_end - s.range_start, ratio, splitter_full_ratio);
    return std::clamp(p, s.minimum, s.maximum);
}

int splitter_drag_position(const Csplitter& s, int cursor, int start_cursor,
                           int start_position)
{
    return std::clamp(cursor + (start_position - start_cursor), s.minimum, s.maximum);
}

bool bar_contains(const RECT& bar, POINT p)
{
    const bool empty = bar.left == 0 && bar.top == 0 && bar.right == 0 && bar.bottom == 0;
    return !empty && bar.left <= p.x && p.x < bar.right && bar.top <= p.y && p.y < bar.bottom;
}

RECT placed_first_rect(RECT r, int position, bool vertical)
{
    (vertical ? r.right : r.bottom) = position;
    return r;
}

RECT placed_second_rect(RECT r, int position, int thickness, bool vertical)
{
    (vertical ? r.left : r.top) = position + thickness;
    return r;
}

// ---- The dialog's splitter list ----

void Csplitter_manager::add(Csplitter* splitter)
{
    splitters.push_back(splitter);
}

void Csplitter_manager::reset()
{
    for (Csplitter* s : splitters) {
        s->names[0].clear();
        s->names[1].clear();
        s->groups[0].clear();
        s->groups[1].clear();
        s->valid = false;
        s->ratio = -1;
        s->vertical = false;
    }
    splitters.clear();
    dragging = nullptr;
}

void Csplitter_manager::relayout()
{
    for (Csplitter* s : splitters) {
        const std::vector<RECT> first = group_rects(s->groups[0]);
        const std::vector<RECT> second = group_rects(s->groups[1]);
        if (!remeasure_splitter(*s, first, second, parent_client_extent(*s))) continue;
        place_splitter(*s, s->position, s->thickness);
    }
}

Csplitter* Csplitter_manager::hit_test(HWND dialog) const
{
    POINT p = {};
    GetCursorPos(&p);
    ScreenToClient(dialog, &p);
    for (Csplitter* s : splitters) {
        if (bar_contains(splitter_bar_rect(group_rects(s->groups[0]), group_rects(s->groups[1]), s->vertical), p))
            return s;
    }
    return nullptr;
}

bool Csplitter_manager::set_cursor(HWND dialog)
{
    if (splitters.empty()) return false;
    const Csplitter* s = dragging ? dragging : hit_test(dialog);
    if (!s) return false;
    const HCURSOR arrows = LoadCursorW(nullptr, s->vertical ? IDC_SIZEWE : IDC_SIZENS);
    // Setting the same cursor again would make it flicker on every mouse move.
    if (GetCursor() != arrows) SetCursor(arrows);
    return true;
}

bool Csplitter_manager::button_down(HWND dialog)
{
    if (splitters.empty()) return false;
    dragging = hit_test(dialog);
    if (!dragging) return false;
    if (!measure_splitter(*dragging)) {
        dragging = nullptr;
        return false;
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    drag_start_cursor = dragging->vertical ? cursor.x : cursor.y;
    drag_start_position = dragging->position;
    SetCapture(dialog);
    return true;
}

bool Csplitter_manager::mouse_move()
{
    if (!dragging) return false;
    // The button may have been released outside the dialog, where its WM_LBUTTONUP
    // never came here: the first move after that ends the drag.
    if (!(GetKeyState(VK_LBUTTON) & 0x8000)) {
        ReleaseCapture();
        dragging = nullptr;
        return false;
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    Csplitter& s = *dragging;
    s.position = splitter_drag_position(s, s.vertical ? cursor.x : cursor.y, drag_start_cursor,
                                        drag_start_position);
    s.ratio = splitter_ratio(s, s.position);
    place_splitter(s, s.position, s.thickness);
    return true;
}

// ---- Steps over the groups' windows ----

std::vector<RECT> group_rects(const std::vector<Cwindow_base*>& group)
{
    std::vector<RECT> rects;
    rects.reserve(group.size());
    for (const Cwindow_base* w : group) rects.push_back(rect_in_parent_now(w ? w->hwnd : nullptr));
    return rects;
}

int parent_client_extent(const Csplitter& s)
{
    const std::vector<Cwindow_base*>& first = s.groups[0];
    if (first.empty() || !first.front() || !first.front()->hwnd) return 0;
    const HWND parent = reinterpret_cast<HWND>(get_window_long(first.front()->hwnd, GWLP_HWNDPARENT));
    RECT client = {};
    GetClientRect(parent, &client);
    return s.vertical ? client.right - client.left : client.bottom - client.top;
}

bool measure_splitter(Csplitter& s)
{
    return measure_splitter(s, group_rects(s.groups[0]), group_rects(s.groups[1]), parent_client_extent(s));
}

void place_splitter(const Csplitter& s, int position, int thickness)
{
    if (!s.valid || position < s.minimum || position > s.maximum) return;
    for (int g = 0; g < 2; ++g) {
        for (const Cwindow_base* w : s.groups[g]) {
            if (!w || !w->hwnd) continue;
            const RECT now = rect_in_parent_now(w->hwnd);
            const RECT r = g == 0 ? placed_first_rect(now, position, s.vertical)
                                  : placed_second_rect(now, position, thickness, s.vertical);
            SetWindowPos(w->hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

}  // namespace ruko
