// The pace of the progress dialog: at most one update per frame of 33 ms on the
// copy's clock, and always the first file's path at once, the latest state before
// a message box and the final state at the end of the run.

#include "copy/progress_pacer.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "copy/write/copier.h"
#include "copy/record/staging.h"
#include "copy/update_process_dialog.h"
#include "copy_test_support.h"
#include "one_file.h"
#include "session/message_box.h"
#include "util/file.h"

namespace {

using copy_test::Cbetween_blocks;
using copy_test::Cdialog_recorder;

struct Cpacing_case {
    const char* what;
    std::vector<std::pair<std::wstring, std::size_t>> files;  // name, bytes
    std::uint64_t ms_per_block;  // the clock moves on after each block's pump
    std::vector<std::wstring> texts;
    std::vector<int> file_bar;
    std::vector<int> run_bar;
};

// The copy's clock for a case: time moves on by ms_per_block with every block
// written to the installation (the staged file of the one-file run under way
// counts with the blocks it holds).
const Cpacing_case* running_case = nullptr;
std::uint64_t clock_of_blocks_written()
{
    std::vector<std::wstring> written = {staged_new_path(update_info.dest_dir, 0)};
    for (const auto& file : running_case->files)
        written.push_back(update_info.dest_dir + L"\\" + file.first);
    std::uint64_t blocks = 0;
    for (const std::wstring& path : written) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            blocks += (data.nFileSizeLow + Ccopier::block_size - 1) / Ccopier::block_size;
    }
    return blocks * running_case->ms_per_block;
}

class Pacing : public copy_test::Copy_world, public testing::WithParamInterface<Cpacing_case> {};

TEST_P(Pacing, TheDialogGetsTheLatestStateOncePerFrame)
{
    const Cpacing_case& c = GetParam();
    running_case = &c;
    replace_progress_clock(clock_of_blocks_written);
    std::uint64_t total = 0;
    for (const auto& file : c.files) {
        write_file(source(file.first), std::string(file.second, 'x'));
        total += file.second;
    }
    open_dialog();
    Cdialog_recorder recorder;

    copy_test::Cone_file_copier copier;
    std::uint64_t remaining = total;
    for (const auto& file : c.files)
        ASSERT_TRUE(copier.copy_one_file(file.first, total, remaining));
    copier.show_progress_now();

    EXPECT_EQ(recorder.texts(), c.texts) << c.what;
    EXPECT_EQ(recorder.positions(1003), c.file_bar) << c.what;
    EXPECT_EQ(recorder.positions(1002), c.run_bar) << c.what;
}

const std::vector<std::pair<std::wstring, std::size_t>> one_big = {{L"big.dat", 5000000}};
const std::vector<std::pair<std::wstring, std::size_t>> three_small = {
    {L"a", 1}, {L"b", 1}, {L"c", 1}};

INSTANTIATE_TEST_SUITE_P(
    Clocks, Pacing,
    testing::Values(
        Cpacing_case{"no time passes: the first path, then the final state",
                     one_big, 0, {L"big.dat"}, {1000}, {1000}},
        Cpacing_case{"20 ms a block: every second block, then the final state",
                     one_big, 20, {L"big.dat"}, {400, 800, 1000}, {400, 800, 1000}},
        Cpacing_case{"40 ms a block: every block",
                     one_big, 40, {L"big.dat"}, {200, 400, 600, 800, 1000},
                     {200, 400, 600, 800, 1000}},
        Cpacing_case{"small files, no time: the first path and the last",
                     three_small, 0, {L"a", L"c"}, {1000}, {1000}},
        Cpacing_case{"small files, a frame each: every path",
                     three_small, 40, {L"a", L"b", L"c"}, {1000}, {333, 666, 1000}}));

int file_bar_at_box = -1;
int record_file_bar(HWND, const std::wstring&, const std::wstring&, UINT)
{
    if (file_bar_at_box < 0)
        file_bar_at_box = update_process_dialog.progress[1].get_pos();
    return IDOK;
}

std::uint64_t fake_now = 0;
std::uint64_t fake_clock()
{
    return fake_now;
}

// A warning never appears over a stale bar: the dialog is brought up to date
// before the box, however little time has passed.
using Pacing_at_a_box = copy_test::Copy_world;

TEST_F(Pacing_at_a_box, TheLatestStateIsShownBeforeAWarning)
{
    fake_now = 0;
    replace_progress_clock(fake_clock);
    write_file(source(L"a.dat"), std::string(3000000, 'x'));
    write_file(source(L"b.dat"), "still being written");
    open_dialog();
    // The second file is refused after the first was written in full, unshown.
    const HANDLE writer = CreateFileW(source(L"b.dat").c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    file_bar_at_box = -1;
    const Cmessage_box_function previous = replace_message_box(record_file_bar);

    copy_test::Cone_file_copier copier;
    copier.begin_writing();
    ASSERT_TRUE(make_staging_folder_for(update_info.dest_dir, 0));
    std::uint64_t remaining = 3000019;
    EXPECT_TRUE(copier.write_new_file(L"a.dat", staged_new_path(update_info.dest_dir, 0),
                                      Ctarget(), 3000019, remaining));
    EXPECT_FALSE(copier.write_new_file(L"b.dat", staged_new_path(update_info.dest_dir, 1),
                                       Ctarget(), 3000019, remaining));
    replace_message_box(previous);
    CloseHandle(writer);
    remove_folder_tree(staging_folder(update_info.dest_dir));

    EXPECT_EQ(file_bar_at_box, 1000);  // the first file in full, never shown before
}

}  // namespace
