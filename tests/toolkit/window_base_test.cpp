// Binding objects to windows through the one toolkit procedure: subclassing and its
// undoing, registration, WM_CLOSE, the main window's WM_QUIT, and window texts.

#include "toolkit/window_base.h"

#include <gtest/gtest.h>
#include <prsht.h>

#include <algorithm>
#include <string>

#include "session/app_info.h"
#include "support/toolkit_windows.h"

namespace {

using ruko::Cwindow_base;

// A window class whose procedure counts WM_SETTEXT, to see what reaches the
// window's own procedure once the toolkit has subclassed it.
int settext_count = 0;

LRESULT CALLBACK counting_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SETTEXT)
        ++settext_count;
    return DefWindowProcW(h, message, wparam, lparam);
}

const wchar_t counting_class[] = L"toolkit_test_counting";
const wchar_t toolkit_class[] = L"toolkit_test_toolkit";

void register_classes()
{
    static const bool done = [] {
        WNDCLASSW counting = {};
        counting.lpfnWndProc = counting_proc;
        counting.hInstance = GetModuleHandleW(nullptr);
        counting.lpszClassName = counting_class;
        WNDCLASSW toolkit = counting;
        toolkit.lpfnWndProc = ruko::shared_window_proc;  // created through the toolkit
        toolkit.lpszClassName = toolkit_class;
        return RegisterClassW(&counting) && RegisterClassW(&toolkit);
    }();
    ASSERT_TRUE(done);
}

HWND make_window(const wchar_t* class_name, HWND parent = nullptr, void* object = nullptr,
                 RECT rect = {10, 20, 110, 70})
{
    const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
    return CreateWindowExW(0, class_name, L"", style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, nullptr, GetModuleHandleW(nullptr),
                           object);
}

LONG_PTR procedure_of(HWND h)
{
    return ruko::get_window_long(h, GWLP_WNDPROC);
}

LONG_PTR shared_proc()
{
    return reinterpret_cast<LONG_PTR>(&ruko::shared_window_proc);
}

class WindowBase : public ::testing::Test {
protected:
    void SetUp() override { register_classes(); }
    void TearDown() override
    {
        for (HWND h : windows_)
            if (IsWindow(h))
                DestroyWindow(h);
        drain_messages();
        app_info.main_window = nullptr;
        // Windows whose object went first were never unregistered.
        auto& list = app_info.dialog_windows;
        for (HWND h : windows_)
            list.erase(std::remove(list.begin(), list.end(), h), list.end());
    }
    HWND keep(HWND h)
    {
        windows_.push_back(h);
        return h;
    }

    std::vector<HWND> windows_;
};

TEST_F(WindowBase, AttachSubclassesAPlainWindowAndDetachGivesItsProcedureBack)
{
    const HWND h = keep(make_window(counting_class));
    const LONG_PTR own = procedure_of(h);
    Cwindow_base object;

    ASSERT_TRUE(object.attach(h));
    EXPECT_EQ(object.hwnd, h);
    EXPECT_FALSE(object.is_dialog);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(object.prev_proc), own);
    EXPECT_EQ(procedure_of(h), shared_proc());
    EXPECT_EQ(ruko::object_of(h), &object);

    // A second attach finds the toolkit procedure already in place and keeps the
    // window's own procedure as the one to give back.
    ASSERT_TRUE(object.attach(h));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(object.prev_proc), own);

    object.detach();
    EXPECT_EQ(object.hwnd, nullptr);
    EXPECT_EQ(object.prev_proc, nullptr);
    EXPECT_EQ(procedure_of(h), own);
    EXPECT_EQ(GetPropW(h, L"this"), nullptr);
}

TEST_F(WindowBase, DestroyedObjectLeavesItsWindowAliveWithItsOwnProcedure)
{
    const HWND h = keep(make_window(counting_class));
    const LONG_PTR own = procedure_of(h);
    {
        Cwindow_base object;
        object.attach(h);
    }
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(procedure_of(h), own);
    EXPECT_EQ(ruko::object_of(h), nullptr);
    // Messages now go straight to the window's own procedure.
    settext_count = 0;
    SetWindowTextW(h, L"x");
    EXPECT_EQ(settext_count, 1);
}

TEST_F(WindowBase, ChildOfAToolkitWindowRecordsItsRectangleInTheParentsClientArea)
{
    Cwindow_base parent;
    const HWND parent_window = keep(make_window(toolkit_class, nullptr, &parent));
    ASSERT_EQ(parent.hwnd, parent_window);
    const HWND child_window = make_window(counting_class, parent_window, nullptr, {15, 25, 65, 45});
    Cwindow_base child;
    child.attach(child_window);
    EXPECT_EQ(child.rect_in_parent.left, 15);
    EXPECT_EQ(child.rect_in_parent.top, 25);
    EXPECT_EQ(child.rect_in_parent.right, 65);
    EXPECT_EQ(child.rect_in_parent.bottom, 45);
}

TEST_F(WindowBase, WindowCreatedThroughTheToolkitIsRegisteredUntilDestroyed)
{
    Cwindow_base object;
    const HWND h = keep(make_window(toolkit_class, nullptr, &object));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(object.hwnd, h);
    EXPECT_EQ(object.prev_proc, nullptr);  // the class procedure already is the toolkit's
    EXPECT_TRUE(is_registered(h));
    RECT window = {}, client = {};
    GetWindowRect(h, &window);
    GetClientRect(h, &client);
    EXPECT_EQ(object.window_rect.left, window.left);
    EXPECT_EQ(object.window_rect.right, window.right);
    EXPECT_EQ(object.client_rect.right, client.right);
    EXPECT_EQ(object.client_rect.bottom, client.bottom);

    DestroyWindow(h);
    EXPECT_FALSE(is_registered(h));
    EXPECT_EQ(object.hwnd, nullptr);
}

TEST_F(WindowBase, WindowRegisteredTwiceIsRemovedCompletelyAndTheOthersKeepTheirOrder)
{
    Cwindow_base first, twice, last;
    const HWND first_window = keep(make_window(toolkit_class, nullptr, &first));
    const HWND twice_window = keep(make_window(toolkit_class, nullptr, &twice));
    const HWND last_window = keep(make_window(toolkit_class, nullptr, &last));
    twice.register_window();

    DestroyWindow(twice_window);

    const auto& list = app_info.dialog_windows;
    EXPECT_EQ(std::count(list.begin(), list.end(), twice_window), 0);
    const auto first_at = std::find(list.begin(), list.end(), first_window);
    const auto last_at = std::find(list.begin(), list.end(), last_window);
    ASSERT_NE(first_at, list.end());
    ASSERT_NE(last_at, list.end());
    EXPECT_LT(first_at, last_at);
}

TEST_F(WindowBase, SnappingWindowLeavesTheSnapListOnDestroy)
{
    Cwindow_base object;
    const HWND h = keep(make_window(toolkit_class, nullptr, &object));
    object.snap = true;
    ruko::snap_list.push_back(h);
    ruko::snap_list.push_back(h);
    DestroyWindow(h);
    EXPECT_EQ(std::count(ruko::snap_list.begin(), ruko::snap_list.end(), h), 0);
}

TEST_F(WindowBase, CloseDestroysTheWindowAndAnswersZero)
{
    const HWND h = keep(make_window(counting_class));
    Cwindow_base object;
    object.attach(h);
    EXPECT_EQ(SendMessageW(h, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(object.hwnd, nullptr);
}

bool quit_waiting()
{
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST_F(WindowBase, OnlyDestroyingTheMainWindowPostsQuit)
{
    Cwindow_base other, main_object;
    const HWND other_window = keep(make_window(toolkit_class, nullptr, &other));
    const HWND main_window = keep(make_window(toolkit_class, nullptr, &main_object));
    app_info.main_window = main_window;

    DestroyWindow(other_window);
    EXPECT_FALSE(quit_waiting());

    DestroyWindow(main_window);
    EXPECT_EQ(app_info.main_window, nullptr);  // detach forgets it
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(WindowBase, PropertySheetPageBringsItsObjectInItsLParam)
{
    const HWND h = keep(make_window(counting_class));
    Cwindow_base object;
    PROPSHEETPAGEW page = {};
    page.dwSize = PROPSHEETPAGEW_V2_SIZE;
    page.lParam = reinterpret_cast<LPARAM>(&object);

    ruko::shared_window_proc(h, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&page));

    EXPECT_EQ(object.hwnd, h);
    EXPECT_EQ(ruko::object_of(h), &object);
    DestroyWindow(h);
    EXPECT_EQ(object.hwnd, nullptr);
}

TEST_F(WindowBase, UnknownWindowGetsTheDefaultAnswerAndNoObject)
{
    const HWND h = keep(make_window(counting_class));
    // WM_INITDIALOG without parameter, and any later message, find no object.
    EXPECT_EQ(ruko::shared_window_proc(h, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(ruko::shared_window_proc(h, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(ruko::object_of(h), nullptr);
}

TEST_F(WindowBase, SetTextWritesOnlyATextThatDiffers)
{
    const HWND h = keep(make_window(counting_class));
    Cwindow_base object;
    object.attach(h);
    settext_count = 0;

    object.set_text(L"テスト");
    EXPECT_EQ(settext_count, 1);
    EXPECT_EQ(object.get_text(), L"テスト");
    object.set_text(L"テスト");
    EXPECT_EQ(settext_count, 1);
    object.set_text(L"テスト2");
    EXPECT_EQ(settext_count, 2);
    object.set_text(L"");
    EXPECT_EQ(settext_count, 3);
    object.set_text(L"");
    EXPECT_EQ(settext_count, 3);

    // get_text reads at most 1023 characters, so a longer text never looks equal.
    const std::wstring long_text(1500, L'a');
    object.set_text(long_text);
    object.set_text(long_text);
    EXPECT_EQ(settext_count, 5);
    EXPECT_EQ(object.get_text(), std::wstring(1023, L'a'));
}

}  // namespace
