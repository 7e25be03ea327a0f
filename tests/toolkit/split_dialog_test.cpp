// Geometry on real windows: a resizable dialog whose two groups of statics share
// its width through a splitter bar, anchoring of its controls, and edge snapping
// of a window that is moved.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "session/app_info.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/geometry.h"
#include "toolkit/splitter.h"
#include "split_dialog.h"

namespace {

using namespace ruko;

// Tree on the left, list and details on the right: the left group follows the
// dialog's height, the right one both ways, and the bar between them keeps its
// share of the width.
class Csplit_dialog : public Cdialog {
public:
    Csplit_dialog()
    {
        bar.vertical = true;
        bar.groups[0] = {&left};
        bar.groups[1] = {&right1, &right2};
        splitters.add(&bar);
    }

    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_INITDIALOG) {
            left.bind_item(*this, IDC_SPLIT_LEFT);
            right1.bind_item(*this, IDC_SPLIT_RIGHT1);
            right2.bind_item(*this, IDC_SPLIT_RIGHT2);
            left.anchor = 4;
            right1.anchor = 5;
            right2.anchor = 5;
        }
        return Cdialog::window_proc(message, wparam, lparam);
    }

    Cc_static left, right1, right2;
    Csplitter bar;
};

void set_left_button(bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

RECT client_of(HWND h)
{
    RECT r = {};
    GetClientRect(h, &r);
    return r;
}

class Split_dialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        app_info.instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(dialog.create(L"split", IDD_SPLIT_TEST));
        SetWindowPos(dialog.hwnd, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dialog.show(true);
        const RECT window = window_rect();
        width = window.right - window.left;
        height = window.bottom - window.top;
        client_width = client_of(dialog.hwnd).right;
        left0 = rect_in_parent_now(dialog.left.hwnd);
        right1_0 = rect_in_parent_now(dialog.right1.hwnd);
        right2_0 = rect_in_parent_now(dialog.right2.hwnd);
        gap = std::min(right1_0.left, right2_0.left) - left0.right;
        ASSERT_GT(gap, 0);
    }
    void TearDown() override
    {
        set_left_button(false);
        ReleaseCapture();
        dialog.destroy();
    }

    RECT window_rect() const
    {
        RECT r = {};
        GetWindowRect(dialog.hwnd, &r);
        return r;
    }
    // Grows the dialog's window (and so its client area) by dx, dy.
    void resize_by(int dx, int dy)
    {
        SetWindowPos(dialog.hwnd, nullptr, 0, 0, width + dx, height + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Screen point of a client point of the dialog.
    POINT screen(int x, int y) const
    {
        POINT p{x, y};
        ClientToScreen(dialog.hwnd, &p);
        return p;
    }
    // Puts the cursor on a client point and tells the dialog as a mouse message.
    void mouse(UINT message, int x, int y)
    {
        const POINT p = screen(x, y);
        SetCursorPos(p.x, p.y);
        SendMessageW(dialog.hwnd, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }
    // The bar sits at `position`: the left group ends there and the right one
    // begins after the gap; the outer edges are those that anchoring gave.
    void expect_bar_at(int position, int dx, int dy)
    {
        const RECT l = rect_in_parent_now(dialog.left.hwnd);
        const RECT r1 = rect_in_parent_now(dialog.right1.hwnd);
        const RECT r2 = rect_in_parent_now(dialog.right2.hwnd);
        EXPECT_EQ(left0.left, l.left);
        EXPECT_EQ(position, l.right);
        EXPECT_EQ(left0.bottom + dy, l.bottom);
        EXPECT_EQ(position + gap, r1.left);
        EXPECT_EQ(right1_0.right + dx, r1.right);
        EXPECT_EQ(position + gap, r2.left);
        EXPECT_EQ(right2_0.right + dx, r2.right);
        EXPECT_EQ(right2_0.bottom + dy, r2.bottom);
    }

    Csplit_dialog dialog;
    int width = 0, height = 0, client_width = 0, gap = 0;
    RECT left0 = {}, right1_0 = {}, right2_0 = {};
};

TEST_F(Split_dialog, BarKeepsItsShareOfTheWidthAcrossResizes)
{
    // The first resize finds the bar where the template put it and takes its ratio
    // of the new width.
    resize_by(100, 20);
    expect_bar_at(left0.right, 100, 20);
    const int ratio = MulDiv(100000, left0.right, client_width + 100);
    EXPECT_EQ(ratio, dialog.bar.ratio);

    for (const int dx : {300, 40, 100, 0}) {
        SCOPED_TRACE("dx " + std::to_string(dx));
        resize_by(dx, 30);
        const int expected = MulDiv(client_width + dx, ratio, 100000);
        expect_bar_at(expected, dx, 30);
        EXPECT_EQ(ratio, dialog.bar.ratio);
    }
}

TEST_F(Split_dialog, DraggingTheBarMovesBothGroupsWithinLimits)
{
    const int y = left0.top + 20;
    set_left_button(true);
    mouse(WM_LBUTTONDOWN, left0.right + gap / 2, y);
    ASSERT_EQ(&dialog.bar, dialog.splitters.dragging);
    EXPECT_EQ(dialog.hwnd, GetCapture());

    mouse(WM_MOUSEMOVE, left0.right + gap / 2 + 40, y);
    expect_bar_at(left0.right + 40, 0, 0);
    EXPECT_EQ(MulDiv(100000, left0.right + 40, client_width), dialog.bar.ratio);

    // Far past either limit the bar stops at it.
    mouse(WM_MOUSEMOVE, -300, y);
    expect_bar_at(dialog.bar.minimum, 0, 0);
    EXPECT_EQ(0, dialog.bar.ratio);
    mouse(WM_MOUSEMOVE, client_width + 300, y);
    expect_bar_at(dialog.bar.maximum, 0, 0);
    EXPECT_EQ(100000, dialog.bar.ratio);

    // The button was let go outside the dialog: the next move ends the drag and
    // moves nothing.
    const int maximum = dialog.bar.maximum;
    set_left_button(false);
    mouse(WM_MOUSEMOVE, left0.right, y);
    EXPECT_EQ(nullptr, dialog.splitters.dragging);
    EXPECT_EQ(nullptr, GetCapture());
    expect_bar_at(maximum, 0, 0);

    // Dragged all the way right, it stays at the maximum whatever the size.
    for (const int dx : {200, 13, 0}) {
        SCOPED_TRACE("dx " + std::to_string(dx));
        resize_by(dx, 0);
        expect_bar_at(dialog.bar.maximum, dx, 0);
        EXPECT_EQ(std::min(right1_0.right, right2_0.right) + dx - gap - 17, dialog.bar.maximum);
    }
}

TEST_F(Split_dialog, PressingBesideTheBarStartsNoDrag)
{
    set_left_button(true);
    mouse(WM_LBUTTONDOWN, left0.right - 1, left0.top + 20);
    EXPECT_EQ(nullptr, dialog.splitters.dragging);
    EXPECT_EQ(nullptr, GetCapture());
    mouse(WM_MOUSEMOVE, left0.right + 50, left0.top + 20);
    EXPECT_EQ(left0.right, rect_in_parent_now(dialog.left.hwnd).right);
    EXPECT_EQ(right1_0.left, rect_in_parent_now(dialog.right1.hwnd).left);
    EXPECT_EQ(right2_0.left, rect_in_parent_now(dialog.right2.hwnd).left);
}

TEST_F(Split_dialog, CursorShowsTheBarsDirection)
{
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR sizing = LoadCursorW(nullptr, IDC_SIZEWE);
    SetCursor(arrow);
    POINT p = screen(left0.right + gap / 2, left0.top + 20);
    SetCursorPos(p.x, p.y);
    SendMessageW(dialog.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog.hwnd),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(sizing, GetCursor());

    EXPECT_TRUE(dialog.splitters.set_cursor(dialog.hwnd));
    p = screen(left0.right + gap + 5, left0.top + 20);
    SetCursorPos(p.x, p.y);
    EXPECT_FALSE(dialog.splitters.set_cursor(dialog.hwnd));
}

TEST_F(Split_dialog, AnchorZeroNeverMoves)
{
    // A control whose recorded rectangle is out of date is left where it is.
    dialog.right1.anchor = 0;
    dialog.right1.rect_in_parent = RECT{0, 0, 10, 10};
    anchor_window(dialog.right1, 50, 50);
    const RECT r = rect_in_parent_now(dialog.right1.hwnd);
    EXPECT_EQ(right1_0.left, r.left);
    EXPECT_EQ(right1_0.right, r.right);

    dialog.right1.anchor = 3;
    anchor_window(dialog.right1, 50, 50);
    const RECT moved = rect_in_parent_now(dialog.right1.hwnd);
    EXPECT_EQ(50, moved.left);
    EXPECT_EQ(60, moved.bottom);
}

// ---- Snapping of real windows ----

HWND make_top_window(int x, int y, int w, int h)
{
    static const ATOM atom = [] {
        WNDCLASSW window_class = {};
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"geometry_test_window";
        return RegisterClassW(&window_class);
    }();
    EXPECT_NE(0, atom);
    return CreateWindowExW(0, L"geometry_test_window", L"", WS_POPUP | WS_VISIBLE, x, y, w, h,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

class Snap_windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_snap_drag();
        other.attach(make_top_window(300, 200, 200, 200));
        mover.attach(make_top_window(600, 250, 150, 100));
        other.snap = mover.snap = true;
        snap_list.push_back(other.hwnd);
        snap_list.push_back(mover.hwnd);
        work = work_area_at(POINT{675, 350});
    }
    void TearDown() override
    {
        snap_list.clear();
        DestroyWindow(other.hwnd);
        DestroyWindow(mover.hwnd);
    }
    // One WM_MOVING with the cursor 20, 10 inside the window's would-be top-left.
    RECT move_to(int left, int top)
    {
        SetCursorPos(left + 20, top + 10);
        RECT proposed{left, top, left + 150, top + 100};
        SendMessageW(mover.hwnd, WM_MOVING, WMSZ_TOP, reinterpret_cast<LPARAM>(&proposed));
        return proposed;
    }

    Cwindow_base other, mover;
    RECT work = {};
};

TEST_F(Snap_windows, MovedWindowSnapsToAnotherWithinSixteenPixels)
{
    ASSERT_GT(work.right, 900);
    // The drag begins 100 pixels away, then comes near the other's right edge (500).
    EXPECT_EQ(600, move_to(600, 300).left);
    EXPECT_EQ(500, move_to(515, 300).left);
    EXPECT_EQ(516, move_to(516, 300).left);
    const RECT snapped = move_to(484, 300);
    EXPECT_EQ(500, snapped.left);
    EXPECT_EQ(650, snapped.right);
    EXPECT_EQ(300, snapped.top);
}

TEST_F(Snap_windows, HiddenWindowsAndTheWindowItselfDoNotCount)
{
    ShowWindow(other.hwnd, SW_HIDE);
    EXPECT_EQ(510, move_to(510, 300).left);
}

TEST_F(Snap_windows, WorkAreaEdgeWinsOverANearbyWindow)
{
    // Put the other window so that its left edge lies 6 left of the work area's
    // right edge; the mover's right edge comes to 3 left of the work area's.
    SetWindowPos(other.hwnd, nullptr, work.right - 6, 280, 200, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT snapped = move_to(work.right - 153, 290);
    EXPECT_EQ(work.right, snapped.right);
    EXPECT_EQ(280, snapped.top);  // the other window still wins on the y axis
}

TEST_F(Snap_windows, SizingByTheBottomRightCornerKeepsLeftAndTop)
{
    mover.keep_min_size = true;
    mover.window_rect = RECT{600, 250, 750, 350};
    // Sizing from the corner at 750, 350 with the cursor on it, down to a size
    // smaller than the creation size: the minimum size wins, left and top stay.
    SetCursorPos(749, 349);
    RECT proposed{600, 250, 750, 350};
    SendMessageW(mover.hwnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
    SetCursorPos(700, 300);
    proposed = RECT{600, 250, 701, 301};
    SendMessageW(mover.hwnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(600, proposed.left);
    EXPECT_EQ(250, proposed.top);
    EXPECT_EQ(750, proposed.right);
    EXPECT_EQ(350, proposed.bottom);
}

}  // namespace
