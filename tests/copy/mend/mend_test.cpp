// All at once or not at all: a run cut off after any of its steps is carried to one
// end by the next run's mending (back to the old installation, or forward once
// every new file was in place), a refused replacement or a failed write puts the
// installation back at once, and a record that cannot be carried out is named.

#include "copy/mend/mend.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "copy/base/cut_off.h"
#include "copy/place/put_in_place.h"
#include "copy/record/run_record.h"
#include "copy/record/staging.h"
#include "copy/update_run.h"
#include "../copy_test_support.h"
#include "session/messages.h"

namespace {

using copy_test::Cdialog_recorder;
using copy_test::pattern_bytes;

using copy_test::Csnapshot;
using copy_test::snapshot;

// The seam: counts the steps of a run and cuts it off at the one asked for.
int steps_passed = 0;
int cut_at = 0;  // 0: never
bool cut_off_when_asked()
{
    return ++steps_passed == cut_at;
}

class Mend : public copy_test::Copy_world {
protected:
    void SetUp() override
    {
        Copy_world::SetUp();
        previous_seam_ = replace_cut_off_seam(cut_off_when_asked);
    }
    void TearDown() override
    {
        replace_cut_off_seam(previous_seam_);
        Copy_world::TearDown();
    }

    // Two files replaced (one of them large, one named in another case on disk),
    // one added beside them, one added in folders the installation lacks, and one
    // entry written twice.
    void give_an_update()
    {
        write_file(source(L"a.dat"), pattern_bytes(1500000, 1));
        write_file(source(L"sub\\b.dat"), "new b");
        write_file(source(L"c.dat"), "new c");
        write_file(source(L"new\\deep\\d.dat"), "new d");
        write_file(dest(L"a.dat"), "old a");
        write_file(dest(L"sub\\B.DAT"), "old b");
        write_file(dest(L"VellocEngine.exe"), "engine");
        update_info.copy_files = {L"a.dat", L"sub\\b.dat", L"c.dat", L"new", L"A.DAT"};
    }
    Csnapshot installed() const { return snapshot(update_info.dest_dir); }
    Csnapshot updated() const
    {
        Csnapshot after = before_;
        after[L"a.dat"] = pattern_bytes(1500000, 1);
        after[L"sub\\B.DAT"] = "new b";
        after[L"c.dat"] = "new c";
        after[L"new"] = "<folder>";
        after[L"new\\deep"] = "<folder>";
        after[L"new\\deep\\d.dat"] = "new d";
        return after;
    }

    void cut_off_after_every_step();

    Csnapshot before_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
    Ccut_off_seam previous_seam_ = nullptr;
};

bool no_hard_links(const std::wstring&, const std::wstring&)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
}

// The run is cut off after each of its steps in turn; the next run's mending leaves
// the installation exactly as before the run (or, cut off once the record said
// "done", exactly as after it), without a box and with nothing of the run left.
TEST_F(Mend, ARunCutOffAfterAnyStepIsMendedByTheNextRun)
{
    cut_off_after_every_step();
}

// Without hard links (FAT), each old file is renamed away into the staging folder
// before its new file takes its name: the same holds at every step.
TEST_F(Mend, WithoutHardLinksARunCutOffAfterAnyStepIsMendedByTheNextRun)
{
    const Cmake_hard_link previous = replace_hard_link_function(no_hard_links);
    cut_off_after_every_step();
    replace_hard_link_function(previous);
}

void Mend::cut_off_after_every_step()
{
    give_an_update();
    before_ = installed();
    steps_passed = 0;
    cut_at = 0;
    ASSERT_TRUE(update_process());
    const int steps = steps_passed;
    ASSERT_GE(steps, 10);  // the record, 5 files written, 4 put in place, "done", the end
    ASSERT_EQ(installed(), updated());

    for (cut_at = 1; cut_at <= steps; ++cut_at) {
        remove_tree(update_info.dest_dir);
        write_file(dest(L"a.dat"), "old a");
        write_file(dest(L"sub\\B.DAT"), "old b");
        write_file(dest(L"VellocEngine.exe"), "engine");
        ASSERT_EQ(installed(), before_);
        boxes_.clear();
        steps_passed = 0;

        EXPECT_FALSE(update_process()) << "cut off after step " << cut_at;
        const bool recorded = file_exists(run_record_path(update_info.dest_dir));
        Crun_record record;
        const bool done = read_run_record(run_record_path(update_info.dest_dir), record) ==
                              Crecord_read::read &&
                          record.done;
        steps_passed = 0;
        const int cut = cut_at;
        cut_at = 0;
        EXPECT_TRUE(mend_cut_off_run()) << "cut off after step " << cut;
        cut_at = cut;

        EXPECT_TRUE(boxes_.shown().empty()) << "cut off after step " << cut;
        EXPECT_EQ(installed(), done ? updated() : before_)
            << "cut off after step " << cut << (recorded ? " (recorded)" : "");
    }
    cut_at = 0;
}

// A read-only file (a game installed from a disc) keeps the attribute whatever
// point the run is cut off at: the old file put back has it, and so has the new
// file of a run that was done.
TEST_F(Mend, AReadOnlyFileKeepsItsAttributeWhereverTheRunIsCutOff)
{
    const auto read_only = [this] {
        return (GetFileAttributesW(dest(L"a.dat").c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
    };
    for (cut_at = 1;; ++cut_at) {
        remove_tree(update_info.dest_dir);
        give_an_update();
        before_ = installed();
        boxes_.clear();
        ASSERT_TRUE(SetFileAttributesW(dest(L"a.dat").c_str(), FILE_ATTRIBUTE_READONLY));
        steps_passed = 0;
        const bool finished = update_process();
        const int cut = cut_at;
        cut_at = 0;
        EXPECT_TRUE(mend_cut_off_run()) << "cut off after step " << cut;
        EXPECT_TRUE(read_only()) << "cut off after step " << cut;
        EXPECT_TRUE(boxes_.shown().empty()) << "cut off after step " << cut;
        if (finished) {
            EXPECT_EQ(installed(), updated());
            break;
        }
        cut_at = cut;
    }
    cut_at = 0;
}

// A run cut off before it wrote its record can have left only staged files.
TEST_F(Mend, AStagingFolderWithoutARecordIsRemovedSilently)
{
    write_file(dest(L"a.dat"), "old a");
    write_file(staging_folder(update_info.dest_dir) + L"\\0\\0.new", "half written");
    before_ = {{L"a.dat", "old a"}};

    EXPECT_TRUE(mend_cut_off_run());

    EXPECT_EQ(installed(), before_);
    EXPECT_TRUE(boxes_.shown().empty());
}

// A record that cannot be carried out is named, the closing notice follows, and
// nothing of the installation is touched: a record that is not one (damaged, cut
// in the middle of a line, naming a path outside the installation), or one whose
// old file cannot be put back because the game holds the file now.
TEST_F(Mend, ARecordThatCannotBeCarriedOutIsNamedAndTouchesNothing)
{
    const std::wstring path = run_record_path(update_info.dest_dir);
    const std::wstring header = L"\xFEFFupdate run record 1\r\n";
    struct {
        const char* what;
        std::wstring text;
        bool hold_target;
    } const cases[] = {
        {"not a record", L"\xFEFFsomething else\r\n", false},
        {"cut in the middle of a line", header + L"replace\t0\ta.d", false},
        {"a path above the installation", header + L"add\t0\t..\\outside.dat\r\n", false},
        {"a path on another drive", header + L"add\t0\tC:\\outside.dat\r\n", false},
        {"an unknown line", header + L"rename\t0\ta.dat\r\n", false},
        {"a line after done", header + L"done\r\nadd\t0\ta.dat\r\n", false},
        {"the old file held by the game", header + L"replace\t0\ta.dat\r\n", true},
    };
    for (const auto& c : cases) {
        remove_tree(update_info.dest_dir);
        write_file(dest(L"a.dat"), "new a");
        write_file(staged_old_path(update_info.dest_dir, 0), "old a");
        write_file(path, std::string(reinterpret_cast<const char*>(c.text.data()),
                                     c.text.size() * sizeof(wchar_t)));
        const Csnapshot left = installed();
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.hold_target) {
            held = CreateFileW(dest(L"a.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        boxes_.clear();

        EXPECT_FALSE(mend_cut_off_run()) << c.what;
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{msg::cut_off_run_not_undone(path),
                                                             msg::update_failed}))
            << c.what;
        EXPECT_EQ(installed(), left) << c.what;
    }
    // Once the game is closed, the next run carries the record out.
    boxes_.clear();
    EXPECT_TRUE(mend_cut_off_run());
    EXPECT_EQ(installed(), (Csnapshot{{L"a.dat", "old a"}}));
}

// What the run writes is what the next run reads back.
TEST(Run_record, ReadsBackWhatWasWritten)
{
    Ctemp_folder folder;
    const std::wstring path = folder / run_record_name;
    Crun_record record;
    record.folders = {L"new", L"new\\deep"};
    record.files = {{0, true, L"a.dat"}, {1, false, L"new\\deep\\データ.dat"}, {12, true, L"b b"}};
    for (const bool done : {false, true}) {
        record.done = false;
        ASSERT_TRUE(write_run_record(path, record));
        if (done) {
            ASSERT_TRUE(mark_run_record_done(path, record));
        }

        Crun_record read;
        ASSERT_EQ(read_run_record(path, read), Crecord_read::read);
        EXPECT_EQ(read.folders, record.folders);
        ASSERT_EQ(read.files.size(), record.files.size());
        for (std::size_t i = 0; i < read.files.size(); ++i) {
            EXPECT_EQ(read.files[i].index, record.files[i].index);
            EXPECT_EQ(read.files[i].replaces, record.files[i].replaces);
            EXPECT_EQ(read.files[i].relative, record.files[i].relative);
        }
        EXPECT_EQ(read.done, done);
    }
    Crun_record none;
    EXPECT_EQ(read_run_record(folder / L"missing.txt", none), Crecord_read::none);
}

// Faults that show only during the copy leave the installation exactly as it was,
// with nothing of the run left: a source still being written, a source gone, a target taken
// by another program after the check.
TEST_F(Mend, AFaultDuringTheRunPutsEverythingBack)
{
    struct {
        const char* what;
        const wchar_t* at_file;  // the action runs when the dialog first shows it
        std::function<void()> act;
        std::function<std::wstring()> warning;
    } const cases[] = {
        {"a source still being written", L"a.dat",
         [this] {
             held_ = CreateFileW(source(L"c.dat").c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         [this] { return msg::source_open_failed(source(L"c.dat")); }},
        {"a source gone", L"sub\\b.dat", [this] { DeleteFileW(source(L"c.dat").c_str()); },
         [this] { return msg::source_open_failed(source(L"c.dat")); }},
        {"a target held after the check", L"c.dat",
         [this] {
             held_ = CreateFileW(dest(L"sub\\B.DAT").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         [this] { return msg::destination_in_use(dest(L"sub\\B.DAT")); }},
    };
    for (const auto& c : cases) {
        remove_tree(update_info.source_dir);
        remove_tree(update_info.dest_dir);
        give_an_update();
        before_ = installed();
        boxes_.clear();
        open_dialog();
        Cdialog_recorder recorder;
        bool acted = false;
        recorder.on_sent = [&](const copy_test::Csent& sent) {
            if (!acted && sent.message == WM_SETTEXT && sent.text == c.at_file) {
                acted = true;
                c.act();
            }
        };

        EXPECT_FALSE(update_process()) << c.what;
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;

        EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{c.warning(), msg::update_failed}))
            << c.what;
        EXPECT_TRUE(acted) << c.what;
        EXPECT_EQ(installed(), before_) << c.what;
        update_process_dialog.destroy();
    }
}

}  // namespace
