// Controls bound to the items of dialog template 101: subclassing and its undoing,
// missing items, and the progress bar operations.

#include "toolkit/controls.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "session/app_info.h"
#include "support/toolkit_windows.h"
#include "toolkit/dialog.h"

namespace {

using ruko::Cc_progress;
using ruko::Cc_static;
using ruko::Ccontrol;

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        prepare_toolkit_windows();
        ASSERT_TRUE(dialog_.create(L"test"));
    }
    void TearDown() override
    {
        dialog_.destroy();
        drain_messages();
    }

    ruko::Cdialog dialog_;
};

TEST_F(Controls, BindItemResetsNameAndAnchorAndListsTheControl)
{
    Cc_static text;
    text.name = L"old";
    text.bind_item(dialog_, 1001);
    EXPECT_EQ(text.hwnd, GetDlgItem(dialog_.hwnd, 1001));
    EXPECT_EQ(text.name, L"");
    EXPECT_EQ(text.anchor, 0);
    EXPECT_FALSE(text.is_dialog);
    EXPECT_NE(text.prev_proc, nullptr);
    EXPECT_EQ(ruko::get_window_long(text.hwnd, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&ruko::shared_window_proc));
    ASSERT_EQ(dialog_.children.size(), 1u);
    EXPECT_EQ(dialog_.children[0], &text);
    // Bound controls are attached, not registered.
    EXPECT_EQ(app_info.dialog_windows.back(), dialog_.hwnd);
    // Its rectangle in the dialog's client area: item 1001 sits at 6,6 dialog units.
    RECT expected = {6, 6, 306, 24};
    MapDialogRect(dialog_.hwnd, &expected);
    EXPECT_EQ(text.rect_in_parent.left, expected.left);
    EXPECT_EQ(text.rect_in_parent.top, expected.top);
    dialog_.destroy();
}

TEST_F(Controls, MissingItemLeavesTheControlWithoutWindowButListed)
{
    Cc_progress bar;
    bar.anchor = 7;
    bar.bind_item(dialog_, 4711);
    EXPECT_EQ(bar.hwnd, nullptr);
    EXPECT_EQ(bar.anchor, 0);
    ASSERT_EQ(dialog_.children.size(), 1u);
    EXPECT_EQ(dialog_.children[0], &bar);
    // Every operation is a no-op without window.
    bar.set_range(0, 1000);
    bar.set_pos(500);
    bar.set_text(L"x");
    bar.show(true);
    EXPECT_EQ(bar.get_pos(), 0);
    EXPECT_EQ(bar.get_text(), L"");
    dialog_.destroy();
}

TEST_F(Controls, ProgressBarTakesRangeAndPosition)
{
    Cc_progress bar;
    bar.bind_item(dialog_, 1002);
    bar.set_range(0, 1000);
    bar.set_pos(734);
    EXPECT_EQ(bar.get_pos(), 734);
    PBRANGE range = {};
    SendMessageW(bar.hwnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 1000);
    // Positions past the range are the bar's business: it clamps them.
    bar.set_pos(1500);
    EXPECT_EQ(bar.get_pos(), 1000);
    dialog_.destroy();
}

// Watches an item from below the toolkit's subclass: records, when the window is
// about to go, which procedure it has and whether the toolkit's property is still set.
struct Cspy {
    WNDPROC own = nullptr;
    LONG_PTR procedure_at_end = 0;
    bool property_at_end = true;
    bool saw_end = false;
};
Cspy spy;

LRESULT CALLBACK spy_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCDESTROY) {
        spy.saw_end = true;
        spy.procedure_at_end = ruko::get_window_long(h, GWLP_WNDPROC);
        spy.property_at_end = GetPropW(h, L"this") != nullptr;
    }
    return CallWindowProcW(spy.own, h, message, wparam, lparam);
}

TEST_F(Controls, DestroyedControlHasItsOwnProcedureBackBeforeItGoes)
{
    const HWND item = GetDlgItem(dialog_.hwnd, 1001);
    spy = Cspy();
    spy.own = reinterpret_cast<WNDPROC>(
        ruko::set_window_long(item, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&spy_proc)));

    Cc_static text;
    text.bind_item(dialog_, 1001);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(text.prev_proc), reinterpret_cast<LONG_PTR>(&spy_proc));

    dialog_.destroy();
    EXPECT_TRUE(spy.saw_end);
    EXPECT_EQ(spy.procedure_at_end, reinterpret_cast<LONG_PTR>(&spy_proc));
    EXPECT_FALSE(spy.property_at_end);
    EXPECT_EQ(text.hwnd, nullptr);
    EXPECT_EQ(text.prev_proc, nullptr);
}

TEST_F(Controls, RebindingToAnotherItemLetsGoOfTheFirst)
{
    Cc_static text;
    text.bind_item(dialog_, 1001);
    const HWND first = text.hwnd;
    const LONG_PTR own = reinterpret_cast<LONG_PTR>(text.prev_proc);
    text.bind_item(dialog_, 1002);
    EXPECT_EQ(ruko::get_window_long(first, GWLP_WNDPROC), own);
    EXPECT_EQ(GetPropW(first, L"this"), nullptr);
    EXPECT_EQ(text.hwnd, GetDlgItem(dialog_.hwnd, 1002));
    dialog_.destroy();
}

}  // namespace
