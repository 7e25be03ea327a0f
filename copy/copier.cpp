#include "copy/copier.h"

#include <algorithm>
#include <cstdio>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "util/file.h"
#include "copy/update_process_dialog.h"
#include "toolkit/dialog.h"

namespace {

// Flushes and closes a file that was written. False when the C run-time could not
// hand every byte to the system (a full disk often shows only here, for files that
// fit in the stream's own buffer). The Cfile is closed either way.
bool close_written(Cfile& file)
{
    FILE* const stream = file.stream;
    file.stream = nullptr;
    file.size = 0;
    if (!stream)
        return false;
    const bool flushed = fflush(stream) == 0;
    const bool closed = fclose(stream) == 0;
    return flushed && closed;
}

}  // namespace

Ccopier::Ccopier() : block_(block_size, '\0') {}

bool Ccopier::copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                            std::uint64_t& run_remaining)
{
    const std::wstring source_path = update_info.source_dir + L"\\" + relative_path;
    Cfile source;
    if (!source.open(source_path, L"rb"))
        return fail_update(msg::source_open_failed(source_path));

    const std::wstring dest_path = update_info.dest_dir + L"\\" + relative_path;
    // A folder that cannot be made shows up as a destination that cannot be opened.
    create_path_folders(dest_path);
    Cfile dest;
    if (!dest.open(dest_path, L"wb"))
        return fail_update(msg::destination_open_failed(dest_path));

    set_text_crlf(update_process_dialog.file_text, relative_path);

    // Exactly the size taken at open is copied: a file that grows meanwhile cannot
    // push the counts below zero, and one that shrinks ends in a read of no bytes.
    const std::uint64_t size = static_cast<std::uint64_t>(source.size);
    std::uint64_t file_remaining = size;
    while (file_remaining > 0) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(block_size, file_remaining));
        const std::size_t got = fread(block_.data(), 1, wanted, source.stream);
        if (got == 0)
            return fail_update(msg::source_read_failed(source_path));
        if (fwrite(block_.data(), 1, got, dest.stream) != got)
            return fail_update(msg::destination_write_failed(dest_path));

        file_remaining -= got;
        run_remaining -= std::min<std::uint64_t>(got, run_remaining);
        show_position(0, progress_position(run_total - run_remaining, run_total));
        show_position(1, progress_position(size - file_remaining, size));
        // The dialog lives only through this call: painting, moving, closing.
        ruko::pump_messages();
    }

    if (!close_written(dest))
        return fail_update(msg::destination_write_failed(dest_path));
    return true;
}

void Ccopier::show_position(int bar, int position)
{
    ruko::Cc_progress& progress = update_process_dialog.progress[bar];
    if (!progress.hwnd)
        return;  // closed by the user: the copy goes on unseen
    Cshown_position& shown = shown_[bar];
    if (shown.bar == progress.hwnd && shown.position == position)
        return;
    progress.set_pos(position);
    shown.bar = progress.hwnd;
    shown.position = position;
}

bool copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                   std::uint64_t& run_remaining)
{
    Ccopier copier;
    return copier.copy_one_file(relative_path, run_total, run_remaining);
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
