// The record of a run on the disk: written whole under a draft name and renamed into
// place, read back only when whole, and a draft left by a cut-off run never taken
// for the record.

#include "copy/record/run_record.h"

#include <gtest/gtest.h>

#include <string>

#include "copy/update_run.h"
#include "copy/record/staging.h"
#include "../copy_test_support.h"

namespace {

Crun_record sample_record()
{
    Crun_record record;
    record.folders = {L"new"};
    record.files = {{0, true, L"a.dat"}, {1, false, L"new\\b.dat"}};
    return record;
}

TEST(Run_record_file, is_written_whole_and_no_draft_is_left)
{
    Ctemp_folder folder;
    const std::wstring path = folder / run_record_name;
    ASSERT_TRUE(write_run_record(path, sample_record()));
    ASSERT_TRUE(mark_run_record_done(path, sample_record()));
    EXPECT_FALSE(file_exists(run_record_draft_path(path)));
    Crun_record read;
    ASSERT_EQ(read_run_record(path, read), Crecord_read::read);
    EXPECT_TRUE(read.done);
    EXPECT_EQ(read.files.size(), 2u);
}

// A read-only file's line says so, so that an old file put back gets the attribute
// again even where a flush took it off for a moment.
TEST(Run_record_file, keeps_which_old_files_are_read_only)
{
    Ctemp_folder folder;
    const std::wstring path = folder / run_record_name;
    Crun_record record = sample_record();
    record.files.push_back({2, true, L"movie.dat", true});
    ASSERT_TRUE(write_run_record(path, record));
    Crun_record read;
    ASSERT_EQ(read_run_record(path, read), Crecord_read::read);
    ASSERT_EQ(read.files.size(), 3u);
    EXPECT_FALSE(read.files[0].read_only);
    EXPECT_TRUE(read.files[2].read_only);
}

class Undo_read_only : public copy_test::Copy_world {};

TEST_F(Undo_read_only, an_old_file_put_back_is_read_only_again)
{
    const std::wstring path = run_record_path(update_info.dest_dir);
    Crun_record record;
    record.files = {{0, true, L"movie.dat", true}};
    ASSERT_TRUE(make_staging_folder_for(update_info.dest_dir, 0));
    write_file(staged_old_path(update_info.dest_dir, 0), "old movie");  // writable now
    write_file(dest(L"movie.dat"), "new movie");
    ASSERT_TRUE(write_run_record(path, record));

    EXPECT_TRUE(mend_cut_off_run());

    EXPECT_EQ(read_file(dest(L"movie.dat")), "old movie");
    EXPECT_TRUE(GetFileAttributesW(dest(L"movie.dat").c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(dest(L"movie.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Whatever is left of a record cut short is never read as more than it says: a cut
// inside a line, zeros where bytes were not written, or a tail of zeros after a
// whole record are refused; a cut between two lines reads as the lines before it.
TEST(Run_record_file, a_record_cut_short_is_never_read_as_another)
{
    Ctemp_folder folder;
    const std::wstring path = folder / run_record_name;
    Crun_record whole = sample_record();
    whole.done = true;
    ASSERT_TRUE(write_run_record(path, whole));
    const std::string bytes = read_file(path);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        write_file(path, bytes.substr(0, cut));
        Crun_record read;
        const Crecord_read result = read_run_record(path, read);
        const bool at_line_end = cut >= 4 && bytes.compare(cut - 4, 4, std::string("\r\0\n\0", 4)) == 0;
        if (!at_line_end) {
            EXPECT_EQ(result, Crecord_read::unreadable) << "cut at " << cut;
            continue;
        }
        ASSERT_EQ(result, Crecord_read::read) << "cut at " << cut;
        EXPECT_LE(read.files.size(), whole.files.size());
        EXPECT_TRUE(!read.done || cut == bytes.size()) << "cut at " << cut;
    }
    for (const std::string& damaged : {std::string(bytes.size(), '\0'), bytes + std::string(64, '\0')}) {
        write_file(path, damaged);
        Crun_record read;
        EXPECT_EQ(read_run_record(path, read), Crecord_read::unreadable);
    }
}

// A run cut off while it wrote a version of its record leaves a draft: the record
// (or its absence) is what the next run goes by, and the draft goes with the rest.
class Record_draft : public copy_test::Copy_world {};

TEST_F(Record_draft, is_removed_with_the_run_it_belongs_to)
{
    const std::wstring path = run_record_path(update_info.dest_dir);
    for (const bool recorded : {false, true}) {
        ASSERT_TRUE(make_staging_folder_for(update_info.dest_dir, 0));
        write_file(staged_new_path(update_info.dest_dir, 0), "staged");
        if (recorded) {
            ASSERT_TRUE(write_run_record(path, Crun_record()));
        }
        write_file(run_record_draft_path(path), std::string(40, '\0'));

        EXPECT_TRUE(mend_cut_off_run()) << recorded;

        EXPECT_FALSE(file_exists(run_record_draft_path(path))) << recorded;
        EXPECT_FALSE(file_exists(path)) << recorded;
        EXPECT_FALSE(folder_exists(staging_folder(update_info.dest_dir))) << recorded;
        EXPECT_TRUE(boxes_.texts().empty()) << recorded;
    }
}

}  // namespace
