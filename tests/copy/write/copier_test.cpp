// The file copier: bytes copied whole in blocks of 1,000,000, folders made for the
// destination, the two bars and the text line of the progress dialog, messages
// handed over between blocks, and every way a copy can fail.

#include "copy/write/copier.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "session/messages.h"
#include "copy/record/run_record.h"
#include "copy/record/staging.h"
#include "copy/update_process_dialog.h"
#include "../copy_test_support.h"
#include "../one_file.h"

namespace {

using copy_test::Cbetween_blocks;
using copy_test::Cdialog_recorder;
using copy_test::copy_one_file;
using copy_test::pattern_bytes;

using Copier = copy_test::Copy_world;

struct Csize_case {
    std::uint64_t size;
    std::vector<int> file_positions;  // current-file bar, one per block
};

class Copier_sizes : public copy_test::Copy_world,
                     public testing::WithParamInterface<Csize_case> {};

// One file, alone in its run: the bytes arrive whole, old longer contents are cut,
// both bars move once per block and end at 1000, messages are handed over after
// every block and never before the first.
TEST_P(Copier_sizes, CopiesEveryByteBlockByBlock)
{
    const Csize_case& c = GetParam();
    const std::string bytes = pattern_bytes(static_cast<std::size_t>(c.size), 3);
    write_file(source(L"data.bin"), bytes);
    write_file(dest(L"data.bin"), std::string(2500000, 'o'));  // longer than any case
    open_dialog();
    Cdialog_recorder recorder;
    ASSERT_TRUE(recorder.hooked());
    Cbetween_blocks probe;
    std::vector<int> waiting_at_block;  // probe messages not yet handed over, per block
    recorder.on_sent = [&](const copy_test::Csent& s) {
        if (s.item == 1003 && s.message == PBM_SETPOS) {
            waiting_at_block.push_back(probe.posted - probe.handled);
            probe.post();
        }
    };

    std::uint64_t run_remaining = c.size;
    EXPECT_TRUE(copy_one_file(L"data.bin", c.size, run_remaining));

    EXPECT_TRUE(read_file(dest(L"data.bin")) == bytes);
    EXPECT_EQ(run_remaining, 0u);
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(recorder.texts(), std::vector<std::wstring>{L"data.bin"});
    EXPECT_EQ(recorder.positions(1003), c.file_positions);
    EXPECT_EQ(recorder.positions(1002), c.file_positions);  // the run is this one file
    EXPECT_EQ(waiting_at_block, std::vector<int>(c.file_positions.size(), 0));
    EXPECT_EQ(probe.handled, probe.posted);  // the last block too was followed by a pump
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Copier_sizes,
    testing::Values(Csize_case{0, {}}, Csize_case{1, {1000}}, Csize_case{999999, {1000}},
                    Csize_case{1000000, {1000}}, Csize_case{1000001, {999, 1000}},
                    Csize_case{2500000, {400, 800, 1000}}));

TEST_F(Copier, EmptyFileShowsItsPathButMovesNoBarAndPumpsNothing)
{
    write_file(source(L"empty.dat"), "");
    write_file(dest(L"empty.dat"), "old contents");
    open_dialog();
    Cbetween_blocks probe;
    probe.post();
    Cdialog_recorder recorder;

    std::uint64_t run_remaining = 0;
    EXPECT_TRUE(copy_one_file(L"empty.dat", 0, run_remaining));

    EXPECT_TRUE(file_exists(dest(L"empty.dat")));
    EXPECT_EQ(read_file(dest(L"empty.dat")), "");
    EXPECT_EQ(update_process_dialog.file_text.get_text(), L"empty.dat");
    EXPECT_TRUE(recorder.positions(1002).empty());
    EXPECT_TRUE(recorder.positions(1003).empty());
    EXPECT_EQ(probe.handled, 0);
}

TEST_F(Copier, MakesTheFoldersOfTheDestination)
{
    write_file(source(L"data\\bg\\title.png"), "png");

    std::uint64_t run_remaining = 3;
    EXPECT_TRUE(copy_one_file(L"data\\bg\\title.png", 3, run_remaining));

    EXPECT_EQ(read_file(dest(L"data\\bg\\title.png")), "png");
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(Copier, OverwritesAnInstalledFileWhoseNameDiffersInCase)
{
    write_file(source(L"data.bin"), "new");
    write_file(dest(L"DATA.BIN"), "old and longer");

    std::uint64_t run_remaining = 3;
    EXPECT_TRUE(copy_one_file(L"data.bin", 3, run_remaining));

    EXPECT_EQ(read_file(dest(L"DATA.BIN")), "new");
    WIN32_FIND_DATAW found;
    int files = 0;
    const HANDLE search = FindFirstFileW(dest(L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1);  // overwritten in place, not a second file
}

// Three one-byte files through one copier: the whole-update bar climbs by thirds;
// the current-file bar reaches 1000 with the first file and is not told again.
TEST_F(Copier, TellsABarOnlyAboutPositionsItDoesNotShowYet)
{
    for (const wchar_t* name : {L"a", L"b", L"c"})
        write_file(source(name), "x");
    open_dialog();
    Cdialog_recorder recorder;

    copy_test::Cone_file_copier copier;
    std::uint64_t run_remaining = 3;
    for (const wchar_t* name : {L"a", L"b", L"c"})
        ASSERT_TRUE(copier.copy_one_file(name, 3, run_remaining));

    EXPECT_EQ(recorder.positions(1002), (std::vector<int>{333, 666, 1000}));
    EXPECT_EQ(recorder.positions(1003), std::vector<int>{1000});
    EXPECT_EQ(recorder.texts(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(update_process_dialog.progress[0].get_pos(), 1000);
    EXPECT_EQ(update_process_dialog.progress[1].get_pos(), 1000);
}

TEST_F(Copier, WithoutDialogTheCopyStillRuns)
{
    write_file(source(L"a.dat"), pattern_bytes(1500000));
    Cdialog_recorder recorder;

    std::uint64_t run_remaining = 1500000;
    EXPECT_TRUE(copy_one_file(L"a.dat", 1500000, run_remaining));

    EXPECT_TRUE(read_file(dest(L"a.dat")) == pattern_bytes(1500000));
    EXPECT_TRUE(recorder.sent.empty());
}

// The counts never go below zero and the bars never leave 0..1000, whatever the
// listing said: a run total smaller than the file, or a file that grows while it
// is copied (only the size taken at open is copied).
TEST_F(Copier, CountsStayInRangeWhenTheListingWasShort)
{
    write_file(source(L"a.dat"), pattern_bytes(2500000));
    open_dialog();
    Cdialog_recorder recorder;

    std::uint64_t run_remaining = 10;
    EXPECT_TRUE(copy_one_file(L"a.dat", 10, run_remaining));

    EXPECT_EQ(run_remaining, 0u);
    EXPECT_EQ(recorder.positions(1002), std::vector<int>{1000});
}

// Opens a file of the update data for writing the way an extractor or a sync client
// does (sharing reading and writing); INVALID_HANDLE_VALUE when it is refused.
HANDLE open_as_writer(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Copier_source_writer : public copy_test::Copy_world,
                             public testing::WithParamInterface<std::uint64_t> {};

// Another program that tries to grow or cut the source after the first block is
// kept out (the source is shared with readers only), and the bytes copied are the
// ones there were at open.
TEST_P(Copier_source_writer, IsKeptOutWhileTheSourceIsCopied)
{
    const std::uint64_t cut_to = GetParam();  // 0: the writer appends instead
    const std::string bytes = pattern_bytes(2500000);
    write_file(source(L"a.dat"), bytes);
    write_file(dest(L"a.dat"), "installed");
    Cbetween_blocks probe;
    DWORD refusal = 0;
    probe.action = [&] {
        const HANDLE file = open_as_writer(source(L"a.dat"));
        refusal = GetLastError();
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(cut_to ? cut_to : bytes.size());
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        if (cut_to)
            SetEndOfFile(file);
        else
            WriteFile(file, "more", 4, &written, nullptr);
        CloseHandle(file);
    };
    probe.post();  // handed over after the first block

    std::uint64_t run_remaining = 2500000;
    EXPECT_TRUE(copy_one_file(L"a.dat", 2500000, run_remaining));

    EXPECT_EQ(probe.handled, 1);
    EXPECT_EQ(refusal, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(run_remaining, 0u);
    EXPECT_TRUE(read_file(dest(L"a.dat")) == bytes);
    EXPECT_TRUE(read_file(source(L"a.dat")) == bytes);
}

INSTANTIATE_TEST_SUITE_P(GrowOrCut, Copier_source_writer, testing::Values(0, 500000, 1200000));

// A source another program still writes is refused before anything changes: the
// source is named, the installed file and the staging folder are as they were.
TEST_F(Copier, ASourceStillBeingWrittenIsRefused)
{
    write_file(source(L"a.dat"), "half-written");
    write_file(dest(L"a.dat"), "installed");
    const HANDLE writer = open_as_writer(source(L"a.dat"));
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    std::uint64_t run_remaining = 12;
    EXPECT_FALSE(copy_one_file(L"a.dat", 12, run_remaining));
    CloseHandle(writer);

    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{msg::source_open_failed(source(L"a.dat")),
                                                         msg::update_failed}));
    EXPECT_EQ(read_file(dest(L"a.dat")), "installed");
    EXPECT_EQ(GetFileAttributesW(staging_folder(update_info.dest_dir).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(run_remaining, 12u);
}

TEST_F(Copier, MissingSourceIsNamedAndNothingIsTouched)
{
    write_file(dest(L"gone.dat"), "installed");

    std::uint64_t run_remaining = 5;
    EXPECT_FALSE(copy_one_file(L"gone.dat", 5, run_remaining));

    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{msg::source_open_failed(source(L"gone.dat")),
                                                         msg::update_failed}));
    EXPECT_EQ(read_file(dest(L"gone.dat")), "installed");
    EXPECT_EQ(run_remaining, 5u);
}

// The ways a destination cannot be opened; each names the destination path, leaves
// what is installed as it was, and releases the source.
enum class Cblocked { held_without_sharing, folder_is_a_file, name_is_a_folder,
                      staging_is_a_file };

class Copier_blocked_destination : public copy_test::Copy_world,
                                   public testing::WithParamInterface<Cblocked> {};

TEST_P(Copier_blocked_destination, NamesTheDestinationAndStops)
{
    std::wstring relative = L"data\\a.dat";
    write_file(source(relative), "new");
    HANDLE held = INVALID_HANDLE_VALUE;
    switch (GetParam()) {
    case Cblocked::held_without_sharing:
        write_file(dest(relative), "installed");
        held = CreateFileW(dest(relative).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        break;
    case Cblocked::folder_is_a_file:
        write_file(dest(L"data"), "a file where the folder should be");
        break;
    case Cblocked::name_is_a_folder:
        ASSERT_TRUE(CreateDirectoryW(dest(L"data").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(dest(relative).c_str(), nullptr));
        break;
    case Cblocked::staging_is_a_file:
        write_file(dest(relative), "installed");
        write_file(staging_folder(update_info.dest_dir), "a file of another program");
        break;
    }

    std::uint64_t run_remaining = 3;
    EXPECT_FALSE(copy_one_file(relative, 3, run_remaining));
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);

    // The new bytes are written in the staging folder; only the swap meets a target
    // that cannot be replaced (held: in use, after the wait of the check) or a folder
    // that cannot be made.
    const bool swap_refused = GetParam() == Cblocked::held_without_sharing;
    std::wstring expected = msg::destination_open_failed(dest(relative));
    if (GetParam() == Cblocked::held_without_sharing)
        expected = msg::destination_in_use(dest(relative));
    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{expected, msg::update_failed}));
    if (swap_refused || GetParam() == Cblocked::staging_is_a_file) {
        EXPECT_EQ(read_file(dest(relative)), "installed");
    }
    EXPECT_EQ(GetFileAttributesW(run_record_path(update_info.dest_dir).c_str()),
              INVALID_FILE_ATTRIBUTES);
    if (GetParam() == Cblocked::staging_is_a_file) {
        EXPECT_EQ(read_file(staging_folder(update_info.dest_dir)), "a file of another program");
    } else {
        EXPECT_EQ(GetFileAttributesW(staging_folder(update_info.dest_dir).c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }
    if (GetParam() == Cblocked::name_is_a_folder || GetParam() == Cblocked::staging_is_a_file) {
        EXPECT_EQ(run_remaining, 3u);
    }
    // The source was closed on the way out: it can be removed at once.
    EXPECT_TRUE(DeleteFileW(source(relative).c_str()));
}

INSTANTIATE_TEST_SUITE_P(Ways, Copier_blocked_destination,
                         testing::Values(Cblocked::held_without_sharing, Cblocked::folder_is_a_file,
                                         Cblocked::name_is_a_folder, Cblocked::staging_is_a_file));

// The replace step: the new bytes arrive under the name the target has on disk,
// with its hidden and system attributes, and a temporary file left by a run that
// was cut off is overwritten and gone.
struct Creplace_case {
    const wchar_t* installed_name;  // null: nothing installed yet
    DWORD installed_attributes;
    bool stale_temporary;
    const wchar_t* name_after;
};

class Copier_replace : public copy_test::Copy_world,
                       public testing::WithParamInterface<Creplace_case> {};

TEST_P(Copier_replace, PutsTheNewFileInPlaceWhole)
{
    const Creplace_case& c = GetParam();
    write_file(source(L"data.bin"), "new");
    if (c.installed_name) {
        write_file(dest(c.installed_name), "old and longer");
        SetFileAttributesW(dest(c.installed_name).c_str(), c.installed_attributes);
    }
    if (c.stale_temporary)
        write_file(dest(L"data.bin") + temporary_suffix, "half of an earlier run");

    std::uint64_t run_remaining = 3;
    EXPECT_TRUE(copy_one_file(L"data.bin", 3, run_remaining));

    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(dest(L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(names, std::vector<std::wstring>{c.name_after});
    EXPECT_EQ(read_file(dest(c.name_after)), "new");
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    EXPECT_EQ(GetFileAttributesW(dest(c.name_after).c_str()) & kept, c.installed_attributes & kept);
    EXPECT_TRUE(boxes_.shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Copier_replace,
    testing::Values(Creplace_case{nullptr, 0, false, L"data.bin"},
                    Creplace_case{L"data.bin", FILE_ATTRIBUTE_NORMAL, false, L"data.bin"},
                    Creplace_case{L"DATA.BIN", FILE_ATTRIBUTE_NORMAL, false, L"DATA.BIN"},
                    Creplace_case{L"data.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false,
                                  L"data.bin"},
                    Creplace_case{L"data.bin", FILE_ATTRIBUTE_NORMAL, true, L"data.bin"},
                    Creplace_case{nullptr, 0, true, L"data.bin"},
                    // From a disc: the Yes covers it, and the new file is read-only too.
                    Creplace_case{L"data.bin", FILE_ATTRIBUTE_READONLY, false, L"data.bin"},
                    Creplace_case{L"DATA.BIN", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                                  false, L"DATA.BIN"}));

// The system refuses to create a file over a hidden or system one unless the
// create asks for those attributes too; the temporary file carries them.
TEST(Temporary_file_attributes, CarryTheReplacedFilesHiddenSystemAndArchive)
{
    struct {
        bool exists;
        DWORD installed;
        DWORD created;
    } const cases[] = {
        {false, 0, FILE_ATTRIBUTE_NORMAL},
        {true, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
        {true, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_NORMAL},
        {true, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {true, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM},
    };
    for (const auto& c : cases) {
        Ctarget target;
        target.exists = c.exists;
        target.attributes = c.installed;
        EXPECT_EQ(temporary_file_attributes(target), c.created) << c.installed;
    }
}

}  // namespace
