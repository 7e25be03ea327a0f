// The update run: every entry listed, then copied file by file under its relative
// path, the progress dialog around it, and the run stopping at the first failure.

#include "copy/update_run.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session/app_info.h"
#include "session/message_box.h"
#include "session/messages.h"
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
    std::vector<std::wstring> installed(const std::wstring& relative = std::wstring()) const
    {
        std::vector<std::wstring> found;
        WIN32_FIND_DATAW item;
        const std::wstring folder = relative.empty() ? update_info.dest_dir : dest(relative);
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &item);
        if (search == INVALID_HANDLE_VALUE)
            return found;
        do {
            const std::wstring name = item.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
            if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                found.push_back(path + L"\\");
                for (const std::wstring& below : installed(path))
                    found.push_back(below);
            } else {
                found.push_back(path);
            }
        } while (FindNextFileW(search, &item));
        FindClose(search);
        std::sort(found.begin(), found.end());
        return found;
    }
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

// An entry removed after the checks is passed over without a word.
TEST_F(Update_run, VanishedEntryIsSkipped)
{
    give({{L"a.dat", "a"}, {L"c.dat", "c"}});
    entries({L"a.dat", L"b.dat", L"gone", L"c.dat"});

    EXPECT_TRUE(update_process());

    EXPECT_EQ(installed(), (std::vector<std::wstring>{L"a.dat", L"c.dat"}));
    EXPECT_TRUE(boxes_.shown().empty());
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

TEST_F(Update_run, FailureOnTheThirdFileKeepsTheFirstTwoAndStops)
{
    give({{L"a.dat", "a"}, {L"b.dat", "b"}, {L"c.dat", "c"}, {L"d.dat", "d"}});
    write_file(dest(L"c.dat"), "installed");
    // Held open by another program without sharing.
    const HANDLE held = CreateFileW(dest(L"c.dat").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    entries({L"a.dat", L"b.dat", L"c.dat", L"d.dat"});
    Cdialog_visibility_at_boxes at_boxes;

    EXPECT_FALSE(run_update());
    CloseHandle(held);

    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{msg::destination_open_failed(dest(L"c.dat")),
                                                         msg::update_failed}));
    EXPECT_EQ(at_boxes.visible, (std::vector<bool>{true, true}));
    EXPECT_EQ(installed(), (std::vector<std::wstring>{L"a.dat", L"b.dat", L"c.dat"}));
    EXPECT_EQ(read_file(dest(L"b.dat")), "b");
    EXPECT_EQ(read_file(dest(L"c.dat")), "installed");
    EXPECT_EQ(update_process_dialog.hwnd, nullptr);
    EXPECT_TRUE(app_info.dialog_windows.empty());
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
