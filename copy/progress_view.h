#pragma once
// The progress dialog as the writer's progress shows in it: the path of the file
// being written and both bars, brought up to date at most once per frame and only
// with what the dialog does not show yet.

#include <windows.h>

#include <cstdint>
#include <string>

#include "copy/progress_pacer.h"
#include "copy/update_process_dialog.h"
#include "copy/base/run_progress.h"

namespace ruko {
class Cwindow_base;
}

class Cprogress_view : public Crun_progress {
public:
    explicit Cprogress_view(Cupdate_process_dialog& dialog) : dialog_(dialog) {}

    void file_started(const std::wstring& relative) override;
    void file_opened() override;
    void block_written(std::uint64_t run_done, std::uint64_t run_total, std::uint64_t file_done,
                       std::uint64_t file_size) override;
    void flushed() override;
    void waiting() override;

    // Brings the dialog up to date with the latest state at once, whatever the
    // frame: before a message box, and before the dialog goes away.
    void show_now();
    // A new pass over the files (the write after the check's hashing): its first
    // file is named at once.
    void begin_pass() { started_ = false; }

private:
    struct Cshown_position {
        HWND bar = nullptr;  // the bar window the position was sent to
        int position = -1;
    };

    void refresh(bool now);
    // The dialog's messages handled (moving, closing) every few milliseconds, well
    // within a frame: looking for them after every small file would cost about as
    // much as writing the file.
    void pump_if_due();
    void show_position(int bar, int position);

    Cupdate_process_dialog& dialog_;
    Cprogress_pacer pacer_;       // of the painting
    Cprogress_pacer pump_pacer_{std::uint64_t{5}};  // of the messages
    bool started_ = false;  // the first file's path has been shown
    std::wstring text_;     // the latest state: the path of the file being copied...
    int positions_[2] = {-1, -1};  // ...and both bar positions (-1: none yet)
    HWND shown_text_window_ = nullptr;
    std::wstring shown_text_;
    Cshown_position shown_[2];
};

// A bar position from 0 to 1000 for `done` bytes of `total`: truncated, clamped,
// and 1000 when there is nothing to copy at all.
int progress_position(std::uint64_t done, std::uint64_t total);

// Shows a text in a toolkit window with every line feed turned into CR LF.
void set_text_crlf(ruko::Cwindow_base& control, const std::wstring& text);
