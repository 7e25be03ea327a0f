// The update run: every entry listed, the installation checked, every new file
// written to the staging folder and then put in place under its relative path, the
// progress dialog around it, and the installation as it was when the run stops at
// a failure.

#include "copy/update_run.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "session/app_info.h"
#include "session/message_box.h"
#include "session/messages.h"
#include "copy/plan/folder_listing.h"
#include "copy/base/held_files.h"
#include "copy/place/put_in_place.h"
#include "copy/record/staging.h"
#include "copy/plan/update_plan.h"
#include "copy/update_process_dialog.h"
#include "copy_test_support.h"

namespace {

using copy_test::Cdialog_recorder;
using copy_test::pattern_bytes;

class Update_run : public copy_test::Copy_world {
protected:
    // Writes source files and lists entries: {relative path, contents}.
    void give(const std::vector<std::pair<std::wstring, std::string>>& files)
    {
        for (const auto& file : files)
            write_file(source(file.first), file.second);
    }
    void entries(std::vector<std::wstring> copy_files) { update_info.copy_files = copy_files; }

    // Every file and folder below dest_dir, relative, folders ending in '\'.
    std::vector<std::wstring> installed() const
    {
        std::vector<std::wstring> found;
        for (const auto& item : copy_test::snapshot(update_info.dest_dir))
            found.push_back(item.second == "<folder>" ? item.first + L"\\" : item.first);
        std::sort(found.begin(), found.end());
        return found;
    }
};

// Records, for every message box, whether the progress dialog was on the screen.
class Cdialog_visibility_at_boxes {
public:
    Cdialog_visibility_at_boxes() : previous_(replace_message_box(&record)) { active() = this; }
    ~Cdialog_visibility_at_boxes()
    {
        replace_message_box(previous_);
        active() = nullptr;
    }
    std::vector<bool> visible;

private:
    static Cdialog_visibility_at_boxes*& active()
    {
        static Cdialog_visibility_at_boxes* self = nullptr;
        return self;
    }
    static int record(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style)
    {
        const HWND dialog = update_process_dialog.hwnd;
        active()->visible.push_back(dialog && IsWindowVisible(dialog));
        return active()->previous_(owner, text, caption, style);
    }
    Cmessage_box_function previous_;
};

TEST_F(Update_run, FolderEntryArrivesAsTheSameTreeWithoutItsEmptyFolders)
{
    give({{L"data\\a.dat", "a"},
          {L"data\\sub\\b.dat", pattern_bytes(1200000)},
          {L"data\\sub\\deep\\c.dat", "ccc"}});
    CreateDirectoryW(source(L"data\\empty").c_str(), nullptr);
    CreateDirectoryW(source(L"data\\sub\\hollow").c_str(), nullptr);
    CreateDirectoryW(source(L"data\\sub\\hollow\\deeper").c_str(), nullptr);
    entries({L"data"});
    open_dialog();
    Cdialog_recorder recorder;

    EXPECT_TRUE(update_process());

    EXPECT_EQ(installed(), (std::vector<std::wstring>{L"data\\", L"data\\a.dat", L"data\\sub\\",
                                                      L"data\\sub\\b.dat", L"data\\sub\\deep\\",
                                                      L"data\\sub\\deep\\c.dat"}));
    EXPECT_TRUE(read_file(dest(L"data\\sub\\b.dat")) == pattern_bytes(1200000));
    EXPECT_EQ(read_file(dest(L"data\\sub\\deep\\c.dat")), "ccc");
    std::vector<std::wstring> shown = recorder.texts();
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"data\\a.dat", L"data\\sub\\b.dat",
                                                L"data\\sub\\deep\\c.dat"}));
    const std::vector<int> whole = recorder.positions(1002);
    ASSERT_FALSE(whole.empty());
    EXPECT_TRUE(std::is_sorted(whole.begin(), whole.end()));
    EXPECT_EQ(whole.back(), 1000);
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(Update_run, FolderEntryWithoutFilesCreatesNothing)
{
    CreateDirectoryW(source(L"hollow").c_str(), nullptr);
    CreateDirectoryW(source(L"hollow\\sub").c_str(), nullptr);
    entries({L"hollow"});

    EXPECT_TRUE(update_process());

    EXPECT_TRUE(installed().empty());
}

TEST_F(Update_run, SameFileTwiceIsCopiedTwiceAndCountedTwice)
{
    give({{L"a.dat", "abcd"}});
    entries({L"a.dat", L"A.DAT"});
    open_dialog();
    Cdialog_recorder recorder;

    EXPECT_TRUE(update_process());

    EXPECT_EQ(recorder.positions(1002), (std::vector<int>{500, 1000}));
    EXPECT_EQ(installed(), std::vector<std::wstring>{L"a.dat"});
    EXPECT_EQ(read_file(dest(L"a.dat")), "abcd");
}

TEST_F(Update_run, FilesOfNoBytesMoveNoBar)
{
    give({{L"a.dat", ""}, {L"data\\b.dat", ""}});
    write_file(dest(L"a.dat"), "old");
    entries({L"a.dat", L"data"});
    open_dialog();
    Cdialog_recorder recorder;

    EXPECT_TRUE(update_process());

    EXPECT_EQ(installed(), (std::vector<std::wstring>{L"a.dat", L"data\\", L"data\\b.dat"}));
    EXPECT_EQ(read_file(dest(L"a.dat")), "");
    EXPECT_TRUE(recorder.positions(1002).empty());
    EXPECT_TRUE(recorder.positions(1003).empty());
}

// Every entry is accounted for before anything is copied: one that the system's
// looser rules for names found at the check, but the listing does not, or one gone
// since, stops the run with the missing-source warning and nothing installed.
TEST_F(Update_run, AnEntryThatListsNothingStopsTheRunBeforeTheCopy)
{
    struct {
        const wchar_t* what;
        std::vector<std::pair<std::wstring, std::string>> data;
        std::wstring entry;
        bool folder_message;
    } const cases[] = {
        {L"trailing dot", {{L"data.arc", "d"}}, L"data.arc.", false},
        {L"trailing space", {{L"data.arc", "d"}}, L"data.arc ", false},
        {L"full-width letters", {{L"ｄａｔａ.arc", "d"}}, L"ＤＡＴＡ.arc", false},
        {L"non-ASCII case", {{L"café.txt", "d"}}, L"CAFÉ.txt", false},
        {L"vanished file", {}, L"b.dat", false},
        {L"vanished folder", {}, L"gone\\x.dat", false},
        {L"folder with a trailing dot", {{L"data\\x.dat", "x"}}, L"data.", true},
    };
    for (const auto& c : cases) {
        Ctemp_folder world;
        update_info.source_dir = world / L"gamedata";
        update_info.dest_dir = world / L"game";
        CreateDirectoryW(update_info.source_dir.c_str(), nullptr);
        CreateDirectoryW(update_info.dest_dir.c_str(), nullptr);
        give(c.data);
        give({{L"a.dat", "a"}});
        entries({L"a.dat", c.entry});
        boxes_.clear();

        EXPECT_FALSE(update_process()) << c.what;

        const std::wstring missing = c.folder_message ? msg::source_folder_missing(c.entry)
                                                      : msg::source_file_missing(source(c.entry));
        EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{missing, msg::update_failed}))
            << c.what;
        EXPECT_TRUE(installed().empty()) << c.what;
    }
}

TEST_F(Update_run, AShortNameIsNoNameOfTheUpdateData)
{
    give({{L"a long name.arc", "a"}});
    wchar_t short_path[MAX_PATH] = {};
    GetShortPathNameW(source(L"a long name.arc").c_str(), short_path, MAX_PATH);
    const std::wstring short_name = short_path;
    const std::wstring name = short_name.substr(short_name.rfind(L'\\') + 1);
    if (name.empty() || name == L"a long name.arc")
        GTEST_SKIP() << "no short names here";
    entries({name});

    EXPECT_FALSE(update_process());

    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{msg::source_file_missing(source(name)),
                                                         msg::update_failed}));
    EXPECT_TRUE(installed().empty());
}

// Listings counted through the seam: however many entries name files in a folder,
// it is listed once, in the update data and in the installation alike.
std::vector<std::wstring> listed_folders;
Cfolder_items counting_list(const std::wstring& folder, const Clisting_tick& tick)
{
    listed_folders.push_back(fold_path_case(folder));
    return list_folder_items(folder, tick);
}

TEST_F(Update_run, EachFolderIsListedOnce)
{
    std::vector<std::wstring> names;
    for (int i = 0; i < 50; ++i) {
        names.push_back(L"f" + std::to_wstring(i) + L".dat");
        give({{names.back(), "x"}, {L"sub\\" + names.back(), "y"}});
    }
    std::vector<std::wstring> list = names;
    for (const std::wstring& name : names)
        list.push_back(L"sub\\" + name);
    list.push_back(L"sub");
    entries(list);
    listed_folders.clear();
    const Clist_function previous = replace_list_function(counting_list);

    EXPECT_TRUE(update_process());
    replace_list_function(previous);

    std::vector<std::wstring> once = listed_folders;
    std::sort(once.begin(), once.end());
    once.erase(std::unique(once.begin(), once.end()), once.end());
    EXPECT_EQ(listed_folders.size(), once.size());
    EXPECT_EQ(listed_folders.size(), 4u);  // gamedata, gamedata\sub, game, game\sub
    EXPECT_EQ(read_file(dest(L"sub\\f49.dat")), "y");
}

// A folder the listing cannot read to its end, or a folder that is a link, stops
// the run before the copy, naming the folder.
Cfolder_items failing_list(const std::wstring& folder, const Clisting_tick& tick)
{
    Cfolder_items listed = list_folder_items(folder, tick);
    if (folder.size() >= 4 && folder.compare(folder.size() - 4, 4, L"\\bad") == 0)
        listed.status = Clisting_status::failed;
    for (Clisted_item& item : listed.items) {
        if (item.name == L"link")
            item.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return listed;
}

TEST_F(Update_run, AnUnreadableOrLinkedFolderStopsTheRunBeforeTheCopy)
{
    give({{L"a.dat", "a"}, {L"data\\bad\\x.dat", "x"}, {L"tree\\link\\y.dat", "y"},
          {L"data2\\bad\\z.dat", "z"}});
    struct {
        std::wstring entry;
        std::wstring named;
    } const cases[] = {
        {L"data", source(L"data\\bad")},
        {L"tree", source(L"tree\\link")},
        {L"data2\\bad\\z.dat", source(L"data2\\bad")},
    };
    const Clist_function previous = replace_list_function(failing_list);
    for (const auto& c : cases) {
        entries({L"a.dat", c.entry});
        boxes_.clear();
        EXPECT_FALSE(update_process()) << c.entry;
        EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{msg::folder_unreadable(c.named),
                                                             msg::update_failed}));
        EXPECT_TRUE(installed().empty()) << c.entry;
    }
    replace_list_function(previous);
}

// A file entry with a folder part is looked up in that folder and lands at the same
// relative place, under the name's case as found in the update data.
TEST_F(Update_run, FileEntryWithAFolderPartLandsAtItsRelativePath)
{
    give({{L"sub\\FILE.DAT", "file"},
          {L"sub\\other.dat", "other"},
          {L"file.dat", "top"},
          {L"a\\b\\c.txt", "deep"}});
    entries({L"sub\\file.dat", L"a\\b\\c.txt"});
    open_dialog();
    Cdialog_recorder recorder;

    EXPECT_TRUE(update_process());

    EXPECT_EQ(installed(), (std::vector<std::wstring>{L"a\\", L"a\\b\\", L"a\\b\\c.txt",
                                                      L"sub\\", L"sub\\FILE.DAT"}));
    EXPECT_EQ(read_file(dest(L"sub\\FILE.DAT")), "file");
    EXPECT_EQ(recorder.texts(), (std::vector<std::wstring>{L"sub\\FILE.DAT", L"a\\b\\c.txt"}));
}

// Windows takes '/' between folders too; the copy makes the folders all the same.
TEST_F(Update_run, EntriesWrittenWithSlashesLandWhereBackslashesWould)
{
    give({{L"sub\\deep\\file.dat", "file"}, {L"data\\bg\\title.png", "png"}});
    entries({L"sub/deep/file.dat", L"data/bg"});
    open_dialog();
    Cdialog_recorder recorder;

    EXPECT_TRUE(update_process());

    EXPECT_EQ(installed(), (std::vector<std::wstring>{L"data\\", L"data\\bg\\",
                                                      L"data\\bg\\title.png", L"sub\\",
                                                      L"sub\\deep\\", L"sub\\deep\\file.dat"}));
    EXPECT_EQ(recorder.texts(),
              (std::vector<std::wstring>{L"sub\\deep\\file.dat", L"data\\bg\\title.png"}));
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(Update_run, EmptyListShowsAndRemovesTheDialogAndSucceeds)
{
    entries({});
    Cdialog_recorder recorder;

    EXPECT_TRUE(run_update());

    // Both bars were given their range, nothing else was sent, and the window is gone.
    int ranges = 0;
    for (const copy_test::Csent& s : recorder.sent)
        ranges += s.message == PBM_SETRANGE32;
    EXPECT_EQ(ranges, 2);
    EXPECT_EQ(recorder.sent.size(), 2u);
    EXPECT_EQ(update_process_dialog.hwnd, nullptr);
    EXPECT_TRUE(app_info.dialog_windows.empty());
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_TRUE(installed().empty());
}

TEST_F(Update_run, DialogIsShownCaptionedAndRangedWhileFilesAreCopied)
{
    give({{L"a.dat", "a"}});
    entries({L"a.dat"});
    Cdialog_recorder recorder;
    bool visible = false;
    std::wstring caption;
    LRESULT high[2] = {};
    recorder.on_sent = [&](const copy_test::Csent& s) {
        if (s.message != WM_SETTEXT)
            return;
        const HWND dialog = update_process_dialog.hwnd;
        visible = IsWindowVisible(dialog) != FALSE;
        caption = update_process_dialog.get_text();
        for (int i = 0; i < 2; ++i)
            high[i] = SendMessageW(update_process_dialog.progress[i].hwnd, PBM_GETRANGE, FALSE, 0);
    };

    EXPECT_TRUE(run_update());

    EXPECT_TRUE(visible);
    EXPECT_EQ(caption, std::wstring(L"テストゲーム") + msg::dialog_title_suffix);
    EXPECT_EQ(high[0], 1000);
    EXPECT_EQ(high[1], 1000);
    EXPECT_EQ(update_process_dialog.hwnd, nullptr);
}

// The installation is checked before its first byte changes: a file another
// program holds (the way a running game holds its data, or shared with writers but
// not with its replacement) or one that cannot be opened for writing stops the run with nothing changed, over the dialog.
TEST_F(Update_run, ABlockedTargetStopsTheRunWithNothingChanged)
{
    give({{L"a.dat", "a"}, {L"b.dat", "b"}, {L"c.dat", "c"}, {L"d.dat", "d"}});
    write_file(dest(L"a.dat"), "old a");
    write_file(dest(L"C.DAT"), "installed");
    entries({L"a.dat", L"b.dat", L"c.dat", L"d.dat"});
    struct {
        DWORD share;  // how another program holds C.DAT; ~0: a folder named d.dat instead
        std::wstring warning;
    } const cases[] = {
        {FILE_SHARE_READ, msg::destination_in_use(dest(L"c.dat"))},
        {0, msg::destination_in_use(dest(L"c.dat"))},
        // Writable, but not replaceable: the swap's rename over it would be refused.
        {FILE_SHARE_READ | FILE_SHARE_WRITE, msg::destination_in_use(dest(L"c.dat"))},
        {~DWORD(0), msg::destination_open_failed(dest(L"d.dat"))},
    };
    for (const auto& c : cases) {
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.share == ~DWORD(0)) {
            ASSERT_TRUE(CreateDirectoryW(dest(L"d.dat").c_str(), nullptr));
        } else {
            held = CreateFileW(dest(L"C.DAT").c_str(), GENERIC_READ, c.share, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        boxes_.clear();
        Cdialog_visibility_at_boxes at_boxes;

        EXPECT_FALSE(run_update());
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{c.warning, msg::update_failed}));
        EXPECT_EQ(at_boxes.visible, (std::vector<bool>{true, true}));
        EXPECT_EQ(read_file(dest(L"a.dat")), "old a");
        EXPECT_EQ(read_file(dest(L"C.DAT")), "installed");
        EXPECT_EQ(GetFileAttributesW(dest(L"b.dat").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(update_process_dialog.hwnd, nullptr);
    }
}

TEST_F(Update_run, AFileWhereAFolderMustBeStopsTheRunWithNothingChanged)
{
    give({{L"a.dat", "a"}, {L"sub\\deep\\e.dat", "e"}});
    write_file(dest(L"a.dat"), "old a");
    write_file(dest(L"sub"), "a file in the way");
    entries({L"a.dat", L"sub"});

    EXPECT_FALSE(update_process());

    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{
                                  msg::destination_open_failed(dest(L"sub\\deep\\e.dat")),
                                  msg::update_failed}));
    EXPECT_EQ(read_file(dest(L"a.dat")), "old a");
}

DWORD WINAPI let_go_soon(void* file)
{
    Sleep(300);
    CloseHandle(static_cast<HANDLE>(file));
    return 0;
}

// A program that lets go of the file while the check tries again is no obstacle.
TEST_F(Update_run, AFileLetGoWithinASecondIsWritable)
{
    write_file(dest(L"a.dat"), "old");
    const HANDLE held = CreateFileW(dest(L"a.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const HANDLE letting_go = CreateThread(nullptr, 0, let_go_soon, held, 0, nullptr);

    EXPECT_EQ(check_writable(dest(L"a.dat")), Cwrite_check::writable);
    WaitForSingleObject(letting_go, INFINITE);
    CloseHandle(letting_go);
}

// The wait for brief holds, with a pause that does not wait: how often a step is
// tried for each way it fails, and the failure it ends with.
std::vector<DWORD> pauses;
std::function<void()> at_pause;
void record_pause(DWORD milliseconds)
{
    pauses.push_back(milliseconds);
    if (at_pause)
        at_pause();
}

class Brief_holds : public Update_run {
protected:
    Brief_holds() : previous_(replace_hold_pause(record_pause)) { pauses.clear(); }
    ~Brief_holds() override
    {
        replace_hold_pause(previous_);
        at_pause = nullptr;
    }
    Chold_pause previous_;
};

TEST_F(Brief_holds, AreTriedAgainForAboutASecond)
{
    struct {
        const char* what;
        std::vector<DWORD> failures;  // one per try, before the first success
        bool (*brief)(DWORD);
        bool succeeds;
        std::size_t pauses;
        DWORD last_error;  // when it does not succeed
    } const cases[] = {
        {"free at once", {}, is_held, true, 0, 0},
        {"held twice", {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION}, is_held, true, 2, 0},
        {"held throughout", std::vector<DWORD>(9, ERROR_SHARING_VIOLATION), is_held, false, 4,
         ERROR_SHARING_VIOLATION},
        {"refused: the check's permissions", {ERROR_ACCESS_DENIED}, is_held, false, 0,
         ERROR_ACCESS_DENIED},
        {"refused twice: a scanner", {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
         is_held_or_refused, true, 2, 0},
        {"gone", {ERROR_FILE_NOT_FOUND}, is_held_or_refused, false, 0, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        pauses.clear();
        std::size_t tried = 0;
        const bool done = try_through_brief_holds(
            [&] {
                if (tried == c.failures.size())
                    return true;
                SetLastError(c.failures[tried++]);
                return false;
            },
            c.brief);
        EXPECT_EQ(done, c.succeeds) << c.what;
        EXPECT_EQ(pauses, std::vector<DWORD>(c.pauses, 250)) << c.what;  // 1 s at most
        if (!c.succeeds) {
            EXPECT_EQ(GetLastError(), c.last_error) << c.what;
        }
    }
}

// A scanner that holds a file for a moment, then lets go: the staged file is
// created once it is free, and so is a rename.
TEST_F(Brief_holds, AreWaitedOutByTheWrite)
{
    give({{L"a.dat", "new a"}, {L"b.dat", "new b"}});
    write_file(dest(L"a.dat"), "old a");
    entries({L"a.dat", L"b.dat"});
    const std::wstring staged = staged_new_path(update_info.dest_dir, 1);
    HANDLE scanner = INVALID_HANDLE_VALUE;
    int scans = 0;
    // While a.dat is written, the scanner looks at a file where b.dat is staged next.
    Cdialog_recorder recorder;
    recorder.on_sent = [&](const copy_test::Csent& sent) {
        if (sent.message == WM_SETTEXT && sent.text == L"a.dat" && scans == 0) {
            ++scans;
            write_file(staged, "seen by the scanner");
            scanner = CreateFileW(staged.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    };
    at_pause = [&] {
        if (scanner != INVALID_HANDLE_VALUE)
            CloseHandle(scanner);
        scanner = INVALID_HANDLE_VALUE;
    };

    EXPECT_TRUE(run_update());

    EXPECT_EQ(scans, 1);
    EXPECT_EQ(pauses.size(), 1u);
    EXPECT_EQ(read_file(dest(L"a.dat")), "new a");
    EXPECT_EQ(read_file(dest(L"b.dat")), "new b");
}

TEST_F(Brief_holds, AreWaitedOutByARename)
{
    write_file(dest(L"new.dat"), "new");
    HANDLE scanner = CreateFileW(dest(L"new.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
    at_pause = [&] {
        CloseHandle(scanner);
        at_pause = nullptr;
    };

    EXPECT_EQ(move_waiting(dest(L"new.dat"), dest(L"placed.dat"), false), Cmove_outcome::moved);

    EXPECT_EQ(pauses.size(), 1u);
    EXPECT_EQ(read_file(dest(L"placed.dat")), "new");
}

// The user closes the dialog while the second file is copied: the run copies every
// file to its end without touching the dialog again, and succeeds.
TEST_F(Update_run, ClosingTheDialogDoesNotStopTheRun)
{
    const std::vector<std::wstring> names = {L"a.dat", L"b.dat", L"c.dat", L"d.dat"};
    for (std::size_t i = 0; i < names.size(); ++i)
        give({{names[i], pattern_bytes(1500000, static_cast<unsigned>(i))}});
    entries(names);
    Cdialog_recorder recorder;
    recorder.on_sent = [&](const copy_test::Csent& s) {
        if (s.message == WM_SETTEXT && s.text == L"b.dat")
            PostMessageW(update_process_dialog.hwnd, WM_CLOSE, 0, 0);
    };

    EXPECT_TRUE(run_update());

    EXPECT_EQ(recorder.texts(), (std::vector<std::wstring>{L"a.dat", L"b.dat"}));
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_TRUE(read_file(dest(names[i])) == pattern_bytes(1500000, static_cast<unsigned>(i)));
    EXPECT_EQ(update_process_dialog.hwnd, nullptr);
    EXPECT_TRUE(boxes_.shown().empty());
}

}  // namespace
