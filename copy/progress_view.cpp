#include "copy/progress_view.h"

#include <algorithm>

#include "toolkit/dialog.h"

void Cprogress_view::file_started(const std::wstring& relative)
{
    text_ = relative;
}

void Cprogress_view::file_opened()
{
    refresh(!started_);  // the first file of the run is named at once
    started_ = true;
}

void Cprogress_view::block_written(std::uint64_t run_done, std::uint64_t run_total,
                                   std::uint64_t file_done, std::uint64_t file_size)
{
    positions_[0] = progress_position(run_done, run_total);
    positions_[1] = progress_position(file_done, file_size);
    refresh(false);
    pump_if_due();
}

void Cprogress_view::flushed()
{
    pump_if_due();
}

void Cprogress_view::waiting()
{
    pump_if_due();
}

void Cprogress_view::pump_if_due()
{
    if (!pump_pacer_.due())
        return;
    ruko::pump_messages();
    pump_pacer_.shown();
}

void Cprogress_view::show_now()
{
    refresh(true);
}

void Cprogress_view::refresh(bool now)
{
    if (!now && !pacer_.due())
        return;
    ruko::Cc_static& line = dialog_.file_text;
    if (line.hwnd && !text_.empty() && (shown_text_window_ != line.hwnd || shown_text_ != text_)) {
        set_text_crlf(line, text_);
        shown_text_window_ = line.hwnd;
        shown_text_ = text_;
    }
    for (int bar = 0; bar < 2; ++bar) {
        if (positions_[bar] >= 0)
            show_position(bar, positions_[bar]);
    }
    pacer_.shown();
}

void Cprogress_view::show_position(int bar, int position)
{
    ruko::Cc_progress& progress = dialog_.progress[bar];
    if (!progress.hwnd)
        return;  // closed by the user: the copy goes on unseen
    Cshown_position& shown = shown_[bar];
    if (shown.bar == progress.hwnd && shown.position == position)
        return;
    progress.set_pos(position);
    shown.bar = progress.hwnd;
    shown.position = position;
}

int progress_position(std::uint64_t done, std::uint64_t total)
{
    if (total == 0)
        return 1000;
    const double position = static_cast<double>(std::min(done, total)) * 1000.0 /
                            static_cast<double>(total);
    return std::clamp(static_cast<int>(position), 0, 1000);
}

void set_text_crlf(ruko::Cwindow_base& control, const std::wstring& text)
{
    if (!control.hwnd)
        return;
    std::wstring shown = text;
    for (std::wstring::size_type pos = shown.find(L'\n'); pos != std::wstring::npos;
         pos = shown.find(L'\n', pos + 2))
        shown.replace(pos, 1, L"\r\n");
    control.set_text(shown);
}
