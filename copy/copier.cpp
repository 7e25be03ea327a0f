#include "copy/copier.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "copy/folder_listing.h"
#include "copy/update_process_dialog.h"
#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "toolkit/dialog.h"
#include "util/file.h"
#include "util/path.h"

const wchar_t* const temporary_suffix = L".update~";

namespace {

// Creates (or truncates a stale one left by a run that was cut off) the temporary
// file. A stale one the system will not truncate (hidden, system or read-only from
// an earlier target) is removed and the file made anew.
HANDLE open_temporary(const std::wstring& path, const Ctarget& target)
{
    const DWORD attributes = temporary_file_attributes(target);
    // DELETE access: the finished file is renamed over its target through this handle.
    const DWORD access = GENERIC_WRITE | DELETE;
    HANDLE file = CreateFileW(path.c_str(), access, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        file = CreateFileW(path.c_str(), access, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    }
    return file;
}

// Moves the written temporary file over the target and closes it. The move goes
// through the open handle, which spares the system opening the file again by name
// (a third of the cost of a small file under Wine); where the file system cannot
// rename an open file, the file is closed and moved by name.
bool swap_in(Chandle_file& temporary, const std::wstring& temporary_path,
             const std::wstring& final_path)
{
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + final_path.size() * sizeof(wchar_t));
    FILE_RENAME_INFO* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(final_path.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, final_path.c_str(), rename->FileNameLength);
    if (SetFileInformationByHandle(temporary.handle, FileRenameInfo, rename,
                                   static_cast<DWORD>(buffer.size())))
        return temporary.close();
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
        error != ERROR_INVALID_FUNCTION)
        return false;  // refused: the target is held or read-only
    if (!temporary.close())
        return false;
    return MoveFileExW(temporary_path.c_str(), final_path.c_str(), MOVEFILE_REPLACE_EXISTING) !=
           FALSE;
}

// Writes all of `count` bytes; a full volume may first accept fewer bytes than asked
// and fail only on the next call.
bool write_all(HANDLE file, const char* bytes, std::size_t count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
           written == count;
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
    const std::wstring source_path = update_info.source_dir + L"\\" + relative_path;
    const std::wstring dest_path = update_info.dest_dir + L"\\" + relative_path;
    const Ctarget target = given ? *given : look_up_target(dest_path);
    if (target.exists && (target.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(msg::destination_open_failed(dest_path));

    // The replaced file keeps the name it has on disk, letter case and all.
    const std::wstring final_path =
        target.exists ? path_folder(dest_path) + L"\\" + target.name_on_disk : dest_path;
    const std::wstring temporary_path = final_path + temporary_suffix;
    text_ = relative_path;
    digest_check_.start(expected_digests_ ? expected_digests_->find(relative_path) : nullptr);
    if (!write_and_swap(source_path, temporary_path, final_path, dest_path, target, run_total,
                        run_remaining)) {
        DeleteFileW(temporary_path.c_str());
        return false;
    }
    return true;
}

bool Ccopier::write_and_swap(const std::wstring& source_path, const std::wstring& temporary_path,
                             const std::wstring& final_path, const std::wstring& dest_path,
                             const Ctarget& target, std::uint64_t run_total,
                             std::uint64_t& run_remaining)
{
    Cfile source;
    if (!source.open(source_path, L"rb"))
        return fail(msg::source_open_failed(source_path));
    // A folder that cannot be made shows up as a temporary file that cannot be opened.
    // Each folder is made once per run: making one walks every level of its path.
    if (made_folders_.insert(fold_path_case(path_folder(dest_path))).second)
        create_path_folders(dest_path);
    Chandle_file dest(open_temporary(temporary_path, target));
    if (!dest.is_open())
        return fail(msg::destination_open_failed(dest_path));

    refresh(!started_);  // the first file of the run is named at once
    started_ = true;

    // Exactly the size taken at open is copied: a file that grows meanwhile cannot
    // push the counts below zero, and one that shrinks ends in a read of no bytes.
    const std::uint64_t size = static_cast<std::uint64_t>(source.size);
    std::uint64_t file_remaining = size;
    while (file_remaining > 0) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(block_size, file_remaining));
        const std::size_t got = fread(block_.data(), 1, wanted, source.stream);
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
    // Every byte has been handed to the system, so a failed write has shown by now.
    // No flush to the disk itself: a run cut off by power loss is completed by
    // running the update again.
    // Bytes that are not the listed ones never replace the installed file.
    if (!digest_check_.matches())
        return fail(msg::source_damaged(source_path));
    if (!swap_in(dest, temporary_path, final_path))
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
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
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
