// The progress dialog made from the real template: its three controls, the user
// closing it in the middle of a run, and a picture of it with a Japanese caption.

#include "copy/update_process_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "session/app_info.h"
#include "session/messages.h"
#include "support/toolkit_windows.h"

namespace {

std::wstring class_of(HWND h)
{
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

class Update_process_dialog : public ::testing::Test {
protected:
    void SetUp() override { prepare_toolkit_windows(); }
    void TearDown() override
    {
        dialog_.destroy();
        drain_messages();
    }

    Cupdate_process_dialog dialog_;
};

TEST_F(Update_process_dialog, CreateBindsTheTextAndBothBarsInOrder)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    EXPECT_TRUE(dialog_.is_dialog);
    EXPECT_EQ(dialog_.prev_proc, nullptr);

    struct Citem {
        ruko::Ccontrol* control;
        int id;
        const wchar_t* window_class;
    };
    const Citem items[] = {
        {&dialog_.file_text, 1001, L"Static"},
        {&dialog_.progress[0], 1002, L"msctls_progress32"},
        {&dialog_.progress[1], 1003, L"msctls_progress32"},
    };
    ASSERT_EQ(dialog_.children.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(items[i].id);
        const ruko::Ccontrol& control = *items[i].control;
        EXPECT_EQ(dialog_.children[i], items[i].control);
        ASSERT_NE(control.hwnd, nullptr);
        EXPECT_EQ(control.hwnd, GetDlgItem(dialog_.hwnd, items[i].id));
        EXPECT_EQ(class_of(control.hwnd), items[i].window_class);
        EXPECT_FALSE(control.is_dialog);
        EXPECT_NE(control.prev_proc, nullptr);  // subclassed
        EXPECT_EQ(control.anchor, 0);
    }
    EXPECT_EQ(dialog_.file_text.get_text(), L"スタティック");
}

TEST_F(Update_process_dialog, ClosedByTheUserEveryLaterCallIsANoOpAndThePumpGoesOn)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    dialog_.show(true);
    const HWND h = dialog_.hwnd;
    const HWND bar = dialog_.progress[0].hwnd;
    PostMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ruko::pump_messages());

    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(dialog_.hwnd, nullptr);
    EXPECT_EQ(dialog_.file_text.hwnd, nullptr);
    EXPECT_EQ(dialog_.progress[0].hwnd, nullptr);
    EXPECT_EQ(dialog_.progress[1].hwnd, nullptr);
    EXPECT_EQ(dialog_.progress[0].prev_proc, nullptr);
    EXPECT_TRUE(dialog_.children.empty());
    EXPECT_FALSE(is_registered(h));

    // What the copier keeps doing after the close.
    dialog_.file_text.set_text(L"next\\file.dat");
    dialog_.progress[0].set_pos(600);
    dialog_.progress[1].set_range(0, 1000);
    dialog_.set_text(L"caption");
    dialog_.show(false);
    dialog_.destroy();
    EXPECT_TRUE(ruko::pump_messages());
    EXPECT_FALSE(app_info.quit_received);
}

TEST_F(Update_process_dialog, SecondWindowBindsTheControlsAfresh)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    dialog_.destroy();
    ASSERT_TRUE(dialog_.create(L"update"));
    ASSERT_EQ(dialog_.children.size(), 3u);
    EXPECT_EQ(dialog_.progress[1].hwnd, GetDlgItem(dialog_.hwnd, 1003));
}

// Shows the dialog as the run does and keeps a picture of it for a person to look
// at: the Japanese caption and the path must be readable.
TEST_F(Update_process_dialog, PictureWithJapaneseCaption)
{
    ASSERT_TRUE(dialog_.create(L"update"));
    dialog_.set_text(std::wstring(L"テストゲーム") + msg::dialog_title_suffix);
    dialog_.file_text.set_text(L"data\\シナリオ\\scene01.dat");
    dialog_.progress[0].set_range(0, 1000);
    dialog_.progress[1].set_range(0, 1000);
    dialog_.progress[0].set_pos(400);
    dialog_.progress[1].set_pos(750);
    dialog_.show(true);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(ruko::pump_messages());
        UpdateWindow(dialog_.hwnd);
        Sleep(10);
    }
    EXPECT_TRUE(IsWindowVisible(dialog_.hwnd));
    EXPECT_EQ(dialog_.get_text(), L"テストゲーム アップデート");
    EXPECT_EQ(dialog_.file_text.get_text(), L"data\\シナリオ\\scene01.dat");
    EXPECT_EQ(dialog_.progress[1].get_pos(), 750);

    const std::wstring folder = test_artifacts_folder();
    if (folder.empty())
        GTEST_SKIP() << "UPDATER_TEST_ARTIFACTS is not set; no picture kept";
    CreateDirectoryW(folder.c_str(), nullptr);
    RECT area = {};
    GetWindowRect(dialog_.hwnd, &area);
    EXPECT_TRUE(save_screen_area(area, folder + L"\\update_process_dialog.bmp"));
}

}  // namespace
