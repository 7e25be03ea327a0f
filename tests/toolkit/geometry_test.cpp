// Anchoring, minimum size and edge snapping, on plain rectangles.

#include "toolkit/geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ruko;

bool same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string text(const RECT& r)
{
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "}";
}

#define EXPECT_RECT(expected, actual) \
    EXPECT_TRUE(same(expected, actual)) << "expected " << text(expected) << ", got " << text(actual)

// ---- Anchoring ----

struct Canchor_case {
    int anchor;
    RECT expected;
};

TEST(Anchor, MovesOrStretchesByKeypadCode)
{
    const RECT recorded{10, 20, 110, 70};
    const Canchor_case cases[] = {
        {3, {20, 25, 120, 75}},   // moves with the bottom-right corner
        {5, {10, 20, 120, 75}},   // stretches both ways
        {7, {10, 20, 110, 70}},   // stays
        {0, {10, 20, 110, 70}},   // never moves
        {-1, {10, 20, 110, 70}},  // never moves
        {9, {20, 20, 120, 70}},   // moves right only
        {1, {10, 25, 110, 75}},   // moves down only
        {4, {10, 20, 110, 75}},   // bottom follows
        {8, {10, 20, 120, 70}},   // right follows
        {2, {10, 25, 120, 75}},   // stretches across, moves down
        {6, {20, 20, 120, 75}},   // moves right, stretches down
    };
    for (const Canchor_case& c : cases) {
        SCOPED_TRACE("anchor " + std::to_string(c.anchor));
        EXPECT_RECT(c.expected, anchored_rect(recorded, c.anchor, 10, 5));
    }
}

TEST(Anchor, ShrinkingDialogMovesBack)
{
    // The rectangle comes from the recorded one each time, so a shrink after a
    // grow lands where the size says, not where the last move left it.
    const RECT recorded{10, 20, 110, 70};
    EXPECT_RECT((RECT{0, 15, 100, 65}), anchored_rect(recorded, 3, -10, -5));
}

// ---- Minimum size ----

struct Cmin_case {
    WPARAM edge;
    RECT proposed;
    RECT expected;
};

TEST(MinSize, RestoresCreationSizeByMovingTheDraggedEdges)
{
    const RECT creation{100, 100, 400, 300};  // 300 x 200
    const Cmin_case cases[] = {
        // Too small: the dragged edges go back, the opposite ones stay.
        {WMSZ_TOPLEFT, {250, 180, 400, 300}, {100, 100, 400, 300}},
        {WMSZ_TOPLEFT, {250, 180, 420, 330}, {120, 130, 420, 330}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 150, 120}, {100, 100, 400, 300}},
        {WMSZ_LEFT, {350, 100, 400, 300}, {100, 100, 400, 300}},
        {WMSZ_RIGHT, {100, 100, 150, 300}, {100, 100, 400, 300}},
        {WMSZ_TOP, {100, 250, 400, 300}, {100, 100, 400, 300}},
        {WMSZ_BOTTOM, {100, 100, 400, 150}, {100, 100, 400, 300}},
        {WMSZ_TOPRIGHT, {100, 250, 150, 300}, {100, 100, 400, 300}},
        {WMSZ_BOTTOMLEFT, {350, 100, 400, 150}, {100, 100, 400, 300}},
        // Large enough: unchanged.
        {WMSZ_TOPLEFT, {50, 40, 400, 300}, {50, 40, 400, 300}},
        // Only the too-small direction is corrected.
        {WMSZ_BOTTOMRIGHT, {100, 100, 600, 120}, {100, 100, 600, 300}},
        // Not an edge: nothing.
        {0, {250, 180, 400, 300}, {250, 180, 400, 300}},
        {9, {250, 180, 400, 300}, {250, 180, 400, 300}},
    };
    for (const Cmin_case& c : cases) {
        SCOPED_TRACE("edge " + std::to_string(c.edge) + " proposed " + text(c.proposed));
        RECT r = c.proposed;
        apply_min_size(r, c.edge, creation);
        EXPECT_RECT(c.expected, r);
    }
}

// ---- Snapping ----

const RECT far_work_area{-5000, -5000, 5000, 5000};

// A 200 x 150 window whose move began with the cursor 30, 10 inside it; the cursor
// is then where the window's top-left corner should be plus that offset.
Csnap_drag moving_drag()
{
    Csnap_drag drag;
    begin_move_drag(drag, reinterpret_cast<HWND>(1), RECT{0, 0, 200, 150}, POINT{30, 10});
    return drag;
}

RECT moved_to(const Csnap_drag& drag, LONG left, LONG top)
{
    // The proposed rectangle is ignored when moving.
    return snap_candidate(drag, RECT{-999, -999, 0, 0}, POINT{left + 30, top + 10});
}

struct Csnap_case {
    const char* what;
    LONG left;           // where the moved window's left edge is dragged
    LONG expected_left;  // after snapping
};

TEST(Snap, LeftEdgeSnapsToRightEdgeWithinSixteenPixels)
{
    const HWND other = reinterpret_cast<HWND>(2);
    const std::vector<Csnap_target> targets{{other, RECT{100, 100, 300, 300}}};
    const Csnap_case cases[] = {
        {"15 right of the edge snaps", 315, 300},
        {"16 right of the edge is outside the grown rectangle", 316, 316},
        {"16 left of the edge snaps", 284, 300},
        {"17 left of the edge does not", 283, 283},
        {"on the edge stays", 300, 300},
    };
    const Csnap_drag drag = moving_drag();
    for (const Csnap_case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT snapped = snap_rect(drag, moved_to(drag, c.left, 120), targets, far_work_area);
        // The window slides whole.
        EXPECT_RECT((RECT{c.expected_left, 120, c.expected_left + 200, 270}), snapped);
    }
}

TEST(Snap, RightEdgeSnapsToLeftEdgeFromBothSides)
{
    const std::vector<Csnap_target> targets{{reinterpret_cast<HWND>(2), RECT{500, 100, 700, 300}}};
    const Csnap_case cases[] = {
        {"right edge 15 left of the other's left edge", 285, 300},
        {"right edge 16 left: not near enough", 284, 284},
        {"right edge 16 inside", 316, 300},
        {"right edge 17 inside", 317, 317},
    };
    const Csnap_drag drag = moving_drag();
    for (const Csnap_case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT snapped = snap_rect(drag, moved_to(drag, c.left, 120), targets, far_work_area);
        EXPECT_EQ(c.expected_left, snapped.left);
        EXPECT_EQ(c.expected_left + 200, snapped.right);
    }
}

TEST(Snap, WindowsThatDoNotReachEachOtherDoNotSnap)
{
    // The edges line up within 16 pixels, but the windows are far apart vertically.
    const std::vector<Csnap_target> targets{{reinterpret_cast<HWND>(2), RECT{100, 100, 300, 300}}};
    const Csnap_drag drag = moving_drag();
    const RECT snapped = snap_rect(drag, moved_to(drag, 310, 700), targets, far_work_area);
    EXPECT_RECT((RECT{310, 700, 510, 850}), snapped);
}

TEST(Snap, WorkAreaWinsOverAWindowOnTheSameAxis)
{
    const RECT work_area{0, 0, 1000, 800};
    // A window whose left edge is 5 to the left of the work area's right edge.
    const HWND other = reinterpret_cast<HWND>(2);
    const std::vector<Csnap_target> targets{{other, RECT{990, 300, 1200, 500}}};
    const Csnap_drag drag = moving_drag();
    // Right edge at 997: 7 from the window's left edge, 3 from the work area's edge.
    // Top at 310: 10 below the window's top (y axis: only the window matches).
    const RECT candidate = moved_to(drag, 797, 310);
    const Csnap_match match = match_snap(drag, candidate, targets, work_area);
    EXPECT_TRUE(match.x.work_area);
    EXPECT_EQ(3, match.x.kind);
    EXPECT_FALSE(match.y.work_area);
    EXPECT_EQ(other, match.y.window);
    EXPECT_EQ(0, match.y.kind);

    const RECT snapped = snap_rect(drag, candidate, targets, work_area);
    EXPECT_RECT((RECT{800, 300, 1000, 450}), snapped);
}

TEST(Snap, LaterWindowOverwritesEarlierOnItsAxis)
{
    const std::vector<Csnap_target> targets{
        {reinterpret_cast<HWND>(2), RECT{100, 100, 300, 300}},  // right edge 300
        {reinterpret_cast<HWND>(3), RECT{305, 0, 400, 90}},     // left edge 305
    };
    const Csnap_drag drag = moving_drag();
    const RECT snapped = snap_rect(drag, moved_to(drag, 302, 95), targets, far_work_area);
    // x: the second window's left edge (kind 0); y: the second window's bottom.
    EXPECT_EQ(305, snapped.left);
    EXPECT_EQ(90, snapped.top);
}

// A size loop of window 1 by `edge`, begun with the cursor at `cursor`.
Csnap_drag sizing_drag(WPARAM edge, const RECT& start, POINT cursor)
{
    Csnap_drag drag;
    begin_size_drag(drag, reinterpret_cast<HWND>(1), edge, start, cursor);
    return drag;
}

TEST(Snap, SizeDragFlagsOnlyTheDraggedEdges)
{
    const RECT start{400, 300, 600, 450};
    struct {
        WPARAM edge;
        bool left, right, top, bottom;
    } const cases[] = {
        {WMSZ_LEFT, true, false, false, false},       {WMSZ_RIGHT, false, true, false, false},
        {WMSZ_TOP, false, false, true, false},        {WMSZ_BOTTOM, false, false, false, true},
        {WMSZ_TOPLEFT, true, false, true, false},     {WMSZ_TOPRIGHT, false, true, true, false},
        {WMSZ_BOTTOMLEFT, true, false, false, true},  {WMSZ_BOTTOMRIGHT, false, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("edge " + std::to_string(c.edge));
        const Csnap_drag drag = sizing_drag(c.edge, start, POINT{598, 448});
        EXPECT_EQ(snap_mode_sizing, drag.mode);
        EXPECT_EQ(c.left, drag.left);
        EXPECT_EQ(c.right, drag.right);
        EXPECT_EQ(c.top, drag.top);
        EXPECT_EQ(c.bottom, drag.bottom);
    }
    const Csnap_drag corner = sizing_drag(WMSZ_BOTTOMRIGHT, start, POINT{596, 446});
    EXPECT_EQ(-4, corner.offset_x);
    EXPECT_EQ(-4, corner.offset_y);
}

TEST(Snap, SizingByBottomRightNeverMovesLeftOrTop)
{
    const RECT start{400, 300, 600, 450};
    // Windows placed so that the left and top edges would snap if they were
    // flagged: one ends 10 left of our left edge, one 10 above our top.
    const std::vector<Csnap_target> targets{
        {reinterpret_cast<HWND>(2), RECT{200, 280, 390, 500}},
        {reinterpret_cast<HWND>(3), RECT{380, 100, 700, 290}},
    };
    const RECT work_area{0, 0, 1000, 800};
    const Csnap_drag drag = sizing_drag(WMSZ_BOTTOMRIGHT, start, POINT{596, 446});
    const POINT cursors[] = {{596, 446}, {700, 520}, {990, 790}, {1010, 805}, {385, 285}, {250, 150}};
    for (const POINT& cursor : cursors) {
        SCOPED_TRACE("cursor " + std::to_string(cursor.x) + "," + std::to_string(cursor.y));
        const RECT proposed{400, 300, cursor.x + 4, cursor.y + 4};
        const RECT snapped = snap_rect(drag, snap_candidate(drag, proposed, cursor), targets, work_area);
        EXPECT_EQ(400, snapped.left);
        EXPECT_EQ(300, snapped.top);
    }
    // And the dragged corner does snap: to the work area's corner here.
    const RECT proposed{400, 300, 994, 794};
    const RECT snapped = snap_rect(drag, snap_candidate(drag, proposed, POINT{990, 790}), targets, work_area);
    EXPECT_RECT((RECT{400, 300, 1000, 800}), snapped);
}

TEST(Snap, SizingCandidateTakesTheDraggedEdgeFromTheCursor)
{
    const RECT start{400, 300, 600, 450};
    const Csnap_drag drag = sizing_drag(WMSZ_LEFT, start, POINT{403, 350});
    // The system proposes something else; the candidate follows the cursor.
    const RECT c = snap_candidate(drag, RECT{350, 300, 600, 450}, POINT{353, 380});
    EXPECT_RECT((RECT{350, 300, 600, 450}), c);
    const RECT d = snap_candidate(drag, RECT{340, 300, 600, 450}, POINT{353, 380});
    EXPECT_RECT((RECT{350, 300, 600, 450}), d);
}

}  // namespace
