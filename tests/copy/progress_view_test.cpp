// The progress view: a bar position for the bytes done, and the file's path shown
// with its line feeds as the text control needs them.

#include "copy/progress_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "copy/update_process_dialog.h"
#include "copy_test_support.h"

namespace {

using copy_test::Cdialog_recorder;

using Progress_view = copy_test::Copy_world;

struct Cposition_case {
    std::uint64_t done, total;
    int position;
};

class Progress_position : public testing::TestWithParam<Cposition_case> {};

TEST_P(Progress_position, IsTruncatedAndClamped)
{
    const Cposition_case& c = GetParam();
    EXPECT_EQ(progress_position(c.done, c.total), c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Shares, Progress_position,
    testing::Values(Cposition_case{0, 1, 0}, Cposition_case{1, 3, 333}, Cposition_case{2, 3, 666},
                    Cposition_case{999999, 1000000, 999}, Cposition_case{5, 5, 1000},
                    Cposition_case{7, 5, 1000}, Cposition_case{0, 0, 1000},
                    Cposition_case{UINT64_MAX / 2, UINT64_MAX, 500},
                    Cposition_case{UINT64_MAX, UINT64_MAX, 1000}));

struct Ccrlf_case {
    std::wstring text;
    std::wstring shown;
};

class Set_text_crlf : public copy_test::Copy_world,
                      public testing::WithParamInterface<Ccrlf_case> {};

TEST_P(Set_text_crlf, TurnsEveryLineFeedIntoCrLf)
{
    open_dialog();
    set_text_crlf(update_process_dialog.file_text, GetParam().text);
    EXPECT_EQ(update_process_dialog.file_text.get_text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Set_text_crlf,
    testing::Values(Ccrlf_case{L"data\\bg\\title.png", L"data\\bg\\title.png"},
                    Ccrlf_case{L"a\nb", L"a\r\nb"}, Ccrlf_case{L"\n\n", L"\r\n\r\n"},
                    Ccrlf_case{L"a\r\nb", L"a\r\r\nb"}, Ccrlf_case{L"", L""}));

TEST_F(Progress_view, SetTextCrlfWithoutWindowDoesNothing)
{
    Cdialog_recorder recorder;
    set_text_crlf(update_process_dialog.file_text, L"a\nb");
    EXPECT_TRUE(recorder.sent.empty());
    EXPECT_EQ(update_process_dialog.file_text.get_text(), L"");
}

// The dialog's messages are looked for every few milliseconds of the copy, not
// after every file: a message posted just after a look waits for the next one.
std::uint64_t fake_now = 0;
std::uint64_t fake_clock()
{
    return fake_now;
}

TEST_F(Progress_view, HandlesTheDialogsMessagesEveryFewMilliseconds)
{
    open_dialog();
    replace_progress_clock(fake_clock);
    fake_now = 100;
    Cprogress_view view(update_process_dialog);
    const auto waiting_message = [] {
        MSG message;
        return PeekMessageW(&message, update_process_dialog.hwnd, WM_APP, WM_APP, PM_NOREMOVE) !=
               FALSE;
    };
    view.flushed();  // the first look at once
    PostMessageW(update_process_dialog.hwnd, WM_APP, 0, 0);
    struct {
        std::uint64_t now;
        bool looked;
    } const steps[] = {{100, false}, {104, false}, {105, true}};
    for (const auto& step : steps) {
        fake_now = step.now;
        view.block_written(1, 2, 1, 2);
        EXPECT_EQ(waiting_message(), !step.looked) << step.now;
    }
    PostMessageW(update_process_dialog.hwnd, WM_APP, 0, 0);
    fake_now = 110;
    view.waiting();
    EXPECT_FALSE(waiting_message()) << "a wait for the digests looks too";
}

}  // namespace
