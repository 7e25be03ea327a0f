#include "copy/copier.h"

#include <algorithm>
#include <cstring>

#include "copy/folder_listing.h"
#include "copy/update_plan.h"
#include "copy/update_process_dialog.h"
#include "copy/update_run.h"
#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "toolkit/dialog.h"
#include "util/file.h"
#include "util/path.h"

namespace {

// Opens a file of the update data for reading, shared with readers only, and
// measures it. A file another program still writes (an extractor, a sync client)
// is refused the same way on every system, rather than copied half-written.
HANDLE open_source(const std::wstring& path, std::uint64_t& size)
{
    const HANDLE file = open_file(path, GENERIC_READ, FILE_SHARE_READ,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    LARGE_INTEGER measured = {};
    if (file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &measured)) {
        size = static_cast<std::uint64_t>(measured.QuadPart);
        return file;
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

// Reads up to `count` bytes; 0 for a failed read and for the end of the file.
std::size_t read_some(HANDLE file, char* bytes, std::size_t count)
{
    DWORD got = 0;
    return ReadFile(file, bytes, static_cast<DWORD>(count), &got, nullptr) ? got : 0;
}

// Creates the staged file (or truncates one written for the same target earlier in
// the run). A scanner that looks at the file of the same name it just saw closed
// is waited out.
HANDLE open_staged(const std::wstring& path, const Ctarget& target)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    try_through_brief_holds(
        [&] {
            file = open_file(path, GENERIC_WRITE, 0, CREATE_ALWAYS,
                             temporary_file_attributes(target));
            return file != INVALID_HANDLE_VALUE;
        },
        is_held_or_refused);
    return file;
}

// Writes all of `count` bytes; a full volume may first accept fewer bytes than asked
// and fail only on the next call.
bool write_all(HANDLE file, const char* bytes, std::size_t count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
           written == count;
}

// Flushes every file of the volume that holds `folder` to the disk in one call.
// Only an elevated program may open a volume for writing; where the system (or
// Wine) does not flush a volume, each file is flushed on its own instead.
bool flush_volume(const std::wstring& folder)
{
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(folder.c_str(), root, MAX_PATH) || root[0] == L'\\' || !root[0] ||
        root[1] != L':')
        return false;
    const std::wstring volume = std::wstring(L"\\\\.\\") + root[0] + L":";
    Chandle_file handle(CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    0, nullptr));
    return handle.is_open() && FlushFileBuffers(handle.handle);
}

bool flush_file(const std::wstring& path)
{
    Chandle_file file(open_file(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    return file.is_open() && FlushFileBuffers(file.handle) && file.close();
}

}  // namespace

DWORD temporary_file_attributes(const Ctarget& target)
{
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    const DWORD attributes = target.exists ? target.attributes & kept : 0;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

Ccopier::Ccopier() : block_(block_size, '\0') {}

bool Ccopier::copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                            std::uint64_t& run_remaining, const Ctarget* given)
{
    const std::wstring dest_path = update_info.dest_dir + L"\\" + relative_path;
    const Cplanned_file file = {relative_path, 0, given ? *given : look_up_target(dest_path)};
    return install_files(*this, {file}, run_total, run_remaining);
}

void Ccopier::begin_writing(const std::wstring& dest_dir)
{
    dest_dir_ = dest_dir;
    // A volume that flushes now will flush at the end of the phase too.
    flush_each_file_ = !flush_volume(dest_dir);
}

bool Ccopier::write_new_file(const std::wstring& relative_path, const std::wstring& staged_path,
                             const Ctarget& target, std::uint64_t run_total,
                             std::uint64_t& run_remaining)
{
    const std::wstring source_path = update_info.source_dir + L"\\" + relative_path;
    const std::wstring dest_path = update_info.dest_dir + L"\\" + relative_path;
    if (target.exists && (target.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(msg::destination_open_failed(dest_path));
    text_ = relative_path;
    digest_check_.start(expected_digests_ ? expected_digests_->find(relative_path) : nullptr);
    if (!write_blocks(source_path, staged_path, dest_path, target, run_total, run_remaining)) {
        delete_file(staged_path);
        return false;
    }
    return true;
}

bool Ccopier::end_writing(const std::vector<std::wstring>& staged_paths)
{
    if (flush_each_file_ || flush_volume(dest_dir_))
        return true;
    for (const std::wstring& path : staged_paths) {
        if (!flush_file(path))
            return fail(msg::destination_write_failed(path));
    }
    return true;
}

bool Ccopier::write_blocks(const std::wstring& source_path, const std::wstring& staged_path,
                           const std::wstring& dest_path, const Ctarget& target,
                           std::uint64_t run_total, std::uint64_t& run_remaining)
{
    std::uint64_t size = 0;
    Chandle_file source(open_source(source_path, size));
    if (!source.is_open())
        return fail(msg::source_open_failed(source_path));
    Chandle_file dest(open_staged(staged_path, target));
    if (!dest.is_open())
        return fail(msg::destination_open_failed(dest_path));

    refresh(!started_);  // the first file of the run is named at once
    started_ = true;

    // Exactly the size taken at open is copied: a file that grows meanwhile cannot
    // push the counts below zero, and one that shrinks ends in a read of no bytes.
    std::uint64_t file_remaining = size;
    while (file_remaining > 0) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(block_size, file_remaining));
        const std::size_t got = read_some(source.handle, block_.data(), wanted);
        if (got == 0)
            return fail(msg::source_read_failed(source_path));
        if (!write_all(dest.handle, block_.data(), got))
            return fail(msg::destination_write_failed(dest_path));
        digest_check_.add(block_.data(), got);

        file_remaining -= got;
        run_remaining -= std::min<std::uint64_t>(got, run_remaining);
        positions_[0] = progress_position(run_total - run_remaining, run_total);
        positions_[1] = progress_position(size - file_remaining, size);
        refresh(false);
        // The dialog lives only through this call: painting, moving, closing.
        ruko::pump_messages();
    }
    // Bytes that are not the listed ones never reach the installation.
    if (!digest_check_.matches())
        return fail(msg::source_damaged(source_path));
    if (!file_written(dest, dest_path))
        return false;
    // A flush to the disk takes a while: what came meanwhile (the dialog closed) is
    // handled before the next file is shown.
    if (size > 0 && flush_each_file_)
        ruko::pump_messages();
    return true;
}

bool Ccopier::file_written(Chandle_file& staged, const std::wstring& dest_path)
{
    // Every byte has been handed to the system, so a failed write has shown by now;
    // a failed flush or close is a write that did not reach the disk.
    if (flush_each_file_ && !FlushFileBuffers(staged.handle))
        return fail(msg::destination_write_failed(dest_path));
    if (!staged.close())
        return fail(msg::destination_write_failed(dest_path));
    return true;
}

void Ccopier::show_progress_now()
{
    refresh(true);
}

bool Ccopier::fail(const std::wstring& text)
{
    show_progress_now();  // a warning never appears over a stale line
    return fail_update(text);
}

void Ccopier::refresh(bool now)
{
    if (!now && !pacer_.due())
        return;
    ruko::Cc_static& line = update_process_dialog.file_text;
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
    const bool copied = copier.copy_one_file(relative_path, run_total, run_remaining);
    if (copied)
        copier.show_progress_now();
    return copied;
}

Ctarget look_up_target(const std::wstring& path)
{
    Ctarget target;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(long_path(path + temporary_suffix).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        target.stale_temporary = found.cFileName;
    }
    search = FindFirstFileW(long_path(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return target;
    FindClose(search);
    target.exists = true;
    target.name_on_disk = found.cFileName;
    target.attributes = found.dwFileAttributes;
    target.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return target;
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
