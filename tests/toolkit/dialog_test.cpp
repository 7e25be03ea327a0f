// The modeless dialog made from template 101, its WM_SIZE handling, and the
// non-blocking message pump with its lasting quit state.

#include "toolkit/dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "session/app_info.h"
#include "support/toolkit_windows.h"
#include "toolkit/controls.h"

namespace {

using ruko::Cdialog;

// A plain window that records what reaches it.
struct Creceived {
    int user_messages = 0;
    int size_messages = 0;
    WPARAM size_wparam = 0;
    LPARAM size_lparam = 0;
};
Creceived received;

LRESULT CALLBACK recording_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_USER)
        ++received.user_messages;
    if (message == WM_SIZE) {
        ++received.size_messages;
        received.size_wparam = wparam;
        received.size_lparam = lparam;
    }
    return DefWindowProcW(h, message, wparam, lparam);
}

HWND make_recording_window()
{
    static const ATOM atom = [] {
        WNDCLASSW window_class = {};
        window_class.lpfnWndProc = recording_proc;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"dialog_test_recording";
        return RegisterClassW(&window_class);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExW(0, L"dialog_test_recording", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

class Dialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        prepare_toolkit_windows();
        received = Creceived();
    }
    void TearDown() override
    {
        dialog_.destroy();
        if (plain_)
            DestroyWindow(plain_);
        drain_messages();
        app_info.quit_received = false;
    }

    Cdialog dialog_;
    HWND plain_ = nullptr;
};

TEST_F(Dialog, CreateAttachesWithoutSubclassingAndRegistersTheDialog)
{
    const size_t registered_before = app_info.dialog_windows.size();
    ASSERT_TRUE(dialog_.create(L"update"));
    ASSERT_NE(dialog_.hwnd, nullptr);
    EXPECT_EQ(dialog_.name, L"update");
    EXPECT_TRUE(dialog_.is_dialog);
    EXPECT_EQ(dialog_.prev_proc, nullptr);
    EXPECT_EQ(ruko::object_of(dialog_.hwnd), &dialog_);
    EXPECT_EQ(app_info.dialog_windows.size(), registered_before + 1);
    EXPECT_EQ(app_info.dialog_windows.back(), dialog_.hwnd);

    RECT client = {};
    GetClientRect(dialog_.hwnd, &client);
    EXPECT_EQ(dialog_.client_rect.right, client.right);
    EXPECT_EQ(dialog_.client_rect.bottom, client.bottom);
    EXPECT_GT(dialog_.window_rect.right - dialog_.window_rect.left, client.right - 1);
}

TEST_F(Dialog, DialogComesUpHiddenCentredAndWithoutSizingBorder)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    EXPECT_FALSE(IsWindowVisible(dialog_.hwnd));
    const LONG_PTR style = ruko::get_window_long(dialog_.hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);  // the close box

    RECT window = {}, work = {};
    GetWindowRect(dialog_.hwnd, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(window.left + window.right, work.left + work.right, 2);
    EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 2);
}

TEST_F(Dialog, SecondCreateOnALiveDialogFailsAndLeavesItAlone)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    const HWND first = dialog_.hwnd;
    EXPECT_FALSE(dialog_.create(L"other"));
    EXPECT_EQ(dialog_.hwnd, first);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_EQ(dialog_.name, L"update");
    EXPECT_EQ(std::count(app_info.dialog_windows.begin(), app_info.dialog_windows.end(), first), 1);
}

TEST_F(Dialog, MissingTemplateLeavesTheObjectWithoutWindow)
{
    const size_t registered_before = app_info.dialog_windows.size();
    EXPECT_FALSE(dialog_.create(L"update", 999));
    EXPECT_EQ(dialog_.hwnd, nullptr);
    EXPECT_EQ(app_info.dialog_windows.size(), registered_before);
    dialog_.set_text(L"x");
    dialog_.show(true);
}

TEST_F(Dialog, UserClosingTheDialogUnregistersItAndThePumpGoesOn)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    const HWND h = dialog_.hwnd;
    dialog_.show(true);
    PostMessageW(h, WM_CLOSE, 0, 0);

    EXPECT_TRUE(ruko::pump_messages());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(dialog_.hwnd, nullptr);
    EXPECT_FALSE(is_registered(h));
    EXPECT_TRUE(ruko::pump_messages());

    // The object can be given a window again.
    ASSERT_TRUE(dialog_.create(L"update"));
    EXPECT_TRUE(is_registered(dialog_.hwnd));
}

TEST_F(Dialog, PumpDispatchesWhatWaitsAndReturnsWhenTheQueueIsEmpty)
{
    EXPECT_TRUE(ruko::pump_messages());
    plain_ = make_recording_window();
    PostMessageW(plain_, WM_USER, 0, 0);
    PostMessageW(plain_, WM_USER, 0, 0);
    EXPECT_TRUE(ruko::pump_messages());
    EXPECT_EQ(received.user_messages, 2);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

// A dialog that notes the keys and commands that reach it.
class Crecording_dialog : public Cdialog {
public:
    void pre_proc(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_KEYDOWN)
            ++key_downs;
        if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL)
            ++cancels;
        Cdialog::pre_proc(message, wparam, lparam);
    }
    int key_downs = 0;
    int cancels = 0;
};

TEST_F(Dialog, KeyForARegisteredDialogGoesThroughTheDialogManager)
{
    Crecording_dialog dialog;
    ASSERT_TRUE(dialog.create(L"keys"));
    PostMessageW(dialog.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(ruko::pump_messages());
    // The dialog manager turns Escape into IDCANCEL instead of passing the key on.
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_EQ(dialog.key_downs, 0);
    dialog.destroy();
}

TEST_F(Dialog, QuitStopsThePumpNowAndOnEveryLaterCall)
{
    plain_ = make_recording_window();
    PostQuitMessage(0);
    EXPECT_FALSE(ruko::pump_messages());
    EXPECT_TRUE(app_info.quit_received);

    // Later calls do not even look at the queue.
    PostMessageW(plain_, WM_USER, 0, 0);
    EXPECT_FALSE(ruko::pump_messages());
    EXPECT_FALSE(ruko::pump_messages());
    EXPECT_EQ(received.user_messages, 0);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, plain_, WM_USER, WM_USER, PM_NOREMOVE));
}

TEST_F(Dialog, SizeChangeMovesAnchoredChildrenByTheDifference)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    ruko::Ccontrol control;
    control.bind_item(dialog_, 1002);
    control.anchor = 3;  // follows the bottom-right corner
    const RECT start = control.rect_in_parent;

    const int width = dialog_.client_rect.right - dialog_.client_rect.left;
    const int height = dialog_.client_rect.bottom - dialog_.client_rect.top;
    SendMessageW(dialog_.hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width + 10, height + 5));

    RECT now = {};
    GetWindowRect(control.hwnd, &now);
    MapWindowPoints(nullptr, dialog_.hwnd, reinterpret_cast<POINT*>(&now), 2);
    EXPECT_EQ(now.left, start.left + 10);
    EXPECT_EQ(now.top, start.top + 5);
    EXPECT_EQ(now.right - now.left, start.right - start.left);
    dialog_.destroy();
}

TEST_F(Dialog, SizeIsForwardedWithItsParametersWhenAsked)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    plain_ = make_recording_window();
    const LPARAM size = MAKELPARAM(300, 100);

    SendMessageW(dialog_.hwnd, WM_SIZE, SIZE_RESTORED, size);
    EXPECT_EQ(received.size_messages, 0);

    dialog_.forward_size = true;
    dialog_.size_target = plain_;
    SendMessageW(dialog_.hwnd, WM_SIZE, SIZE_MAXIMIZED, size);
    EXPECT_EQ(received.size_messages, 1);
    EXPECT_EQ(received.size_wparam, static_cast<WPARAM>(SIZE_MAXIMIZED));
    EXPECT_EQ(received.size_lparam, size);
}

}  // namespace
