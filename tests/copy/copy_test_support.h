#pragma once
// What the copy tests share: a world of their own (temporary source and
// destination folders behind update_info, recorded message boxes), the progress
// dialog made from the real template, and a recorder of everything the copy sends
// to the dialog's text line and bars.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "copy/progress_pacer.h"
#include "copy/update_process_dialog.h"
#include "session/update_info.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"
#include "support/toolkit_windows.h"
#include "util/sha256.h"

namespace copy_test {

// Bytes that differ from block to block, so a block copied twice or skipped shows.
inline std::string pattern_bytes(std::size_t size, unsigned seed = 0)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + i / 1000003 + seed * 7) % 251);
    return bytes;
}

// The SHA-256 of bytes, as gamedata.sha256 would list them.
inline Csha256_digest digest_of(const std::string& bytes)
{
    Csha256 hash;
    Csha256_digest digest{};
    EXPECT_TRUE(hash.add(bytes.data(), bytes.size()));
    EXPECT_TRUE(hash.finish(digest));
    return digest;
}

// Every file and folder below a folder, by path relative to it: a file's contents,
// "<folder>" for a folder.
using Csnapshot = std::map<std::wstring, std::string>;

inline Csnapshot snapshot(const std::wstring& root, const std::wstring& relative = std::wstring())
{
    Csnapshot found;
    WIN32_FIND_DATAW item;
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &item);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        const std::wstring name = item.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            found[path] = "<folder>";
            for (const auto& below : snapshot(root, path))
                found.insert(below);
        } else {
            found[path] = read_file(root + L"\\" + path);
        }
    } while (FindNextFileW(search, &item));
    FindClose(search);
    return found;
}

// One message the copy sent to a control of the progress dialog.
struct Csent {
    int item;  // 1001 text line, 1002 whole-update bar, 1003 current-file bar
    UINT message;
    WPARAM wparam;
    std::wstring text;  // WM_SETTEXT only
};

// Watches, through a WH_CALLWNDPROC hook of this thread, what is sent to items 1001
// to 1003 of any dialog; on_sent runs for each, inside the copy.
class Cdialog_recorder {
public:
    Cdialog_recorder()
    {
        active() = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &Cdialog_recorder::hook, nullptr,
                                  GetCurrentThreadId());
    }
    ~Cdialog_recorder()
    {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        active() = nullptr;
    }
    Cdialog_recorder(const Cdialog_recorder&) = delete;
    Cdialog_recorder& operator=(const Cdialog_recorder&) = delete;

    bool hooked() const { return hook_ != nullptr; }

    std::vector<int> positions(int item) const
    {
        std::vector<int> result;
        for (const Csent& s : sent)
            if (s.item == item && s.message == PBM_SETPOS)
                result.push_back(static_cast<int>(s.wparam));
        return result;
    }
    std::vector<std::wstring> texts() const
    {
        std::vector<std::wstring> result;
        for (const Csent& s : sent)
            if (s.item == 1001 && s.message == WM_SETTEXT)
                result.push_back(s.text);
        return result;
    }

    std::vector<Csent> sent;
    std::function<void(const Csent&)> on_sent;

private:
    static Cdialog_recorder*& active()
    {
        static Cdialog_recorder* recorder = nullptr;
        return recorder;
    }

    static LRESULT CALLBACK hook(int code, WPARAM wparam, LPARAM lparam)
    {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
        Cdialog_recorder* self = active();
        if (code == HC_ACTION && self &&
            (call->message == WM_SETTEXT || call->message == PBM_SETPOS ||
             call->message == PBM_SETRANGE32)) {
            const int item = GetDlgCtrlID(call->hwnd);
            if (item >= 1001 && item <= 1003 && GetParent(call->hwnd)) {
                Csent s{item, call->message, call->wParam, std::wstring()};
                if (call->message == WM_SETTEXT && call->lParam)
                    s.text = reinterpret_cast<const wchar_t*>(call->lParam);
                self->sent.push_back(s);
                if (self->on_sent)
                    self->on_sent(s);
            }
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }

    HHOOK hook_ = nullptr;
};

// A hidden window that runs a function for every WM_APP it is posted: a way to act
// between two blocks of a copy, since the copier hands over waiting messages then.
class Cbetween_blocks {
public:
    Cbetween_blocks()
    {
        static const ATOM registered = [] {
            WNDCLASSW c = {};
            c.lpfnWndProc = &Cbetween_blocks::proc;
            c.hInstance = GetModuleHandleW(nullptr);
            c.lpszClassName = L"copy_test_between_blocks";
            return RegisterClassW(&c);
        }();
        (void)registered;
        window_ = CreateWindowExW(0, L"copy_test_between_blocks", L"", 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Cbetween_blocks() { DestroyWindow(window_); }
    Cbetween_blocks(const Cbetween_blocks&) = delete;
    Cbetween_blocks& operator=(const Cbetween_blocks&) = delete;

    void post()
    {
        ++posted;
        PostMessageW(window_, WM_APP, 0, 0);
    }

    int posted = 0;
    int handled = 0;
    std::function<void()> action;

private:
    static LRESULT CALLBACK proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_APP) {
            auto* self = reinterpret_cast<Cbetween_blocks*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            if (self) {
                ++self->handled;
                if (self->action)
                    self->action();
            }
            return 0;
        }
        return DefWindowProcW(h, message, wparam, lparam);
    }

    HWND window_ = nullptr;
};

// A clock on which a whole frame passes between any two readings: the copy then
// brings the dialog up to date at every chance it has, so that tests see each one.
inline std::uint64_t every_reading_a_new_frame()
{
    static std::uint64_t now = 0;
    return now += 1000;
}

// A temporary world for the copy: source_dir and dest_dir in a fresh folder, a
// game title, recorded message boxes, a clock without pacing; update_info, the
// dialog and the clock are put back after.
class Copy_world : public testing::Test {
protected:
    void SetUp() override
    {
        prepare_toolkit_windows();
        saved_clock_ = replace_progress_clock(every_reading_a_new_frame);
        saved_ = update_info;
        update_info.game_title = L"テストゲーム";
        update_info.source_dir = temp_ / L"gamedata";
        update_info.dest_dir = temp_ / L"game";
        CreateDirectoryW(update_info.source_dir.c_str(), nullptr);
        CreateDirectoryW(update_info.dest_dir.c_str(), nullptr);
    }
    void TearDown() override
    {
        update_process_dialog.destroy();
        drain_messages();
        update_info = saved_;
        replace_progress_clock(saved_clock_);
    }

    // Creates the progress dialog as the run does, without showing it.
    void open_dialog()
    {
        ASSERT_TRUE(update_process_dialog.create(L"update"));
        update_process_dialog.progress[0].set_range(0, 1000);
        update_process_dialog.progress[1].set_range(0, 1000);
    }

    std::wstring source(const std::wstring& relative) const
    {
        return update_info.source_dir + L"\\" + relative;
    }
    std::wstring dest(const std::wstring& relative) const
    {
        return update_info.dest_dir + L"\\" + relative;
    }

    Ctemp_folder temp_;
    Crecording_boxes boxes_;
    Cupdate_info saved_;
    Cclock saved_clock_ = nullptr;
};

}  // namespace copy_test
