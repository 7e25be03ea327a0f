#include "copy/place/put_in_place.h"

#include <windows.h>

#include <set>
#include <utility>
#include <vector>

#include "copy/base/cut_off.h"
#include "copy/base/held_files.h"
#include "copy/place/access_list.h"
#include "copy/plan/folder_listing.h"
#include "copy/record/staging.h"
#include "util/file.h"
#include "util/path.h"

namespace {

bool system_hard_link(const std::wstring& link, const std::wstring& existing)
{
    return CreateHardLinkW(long_path(link).c_str(), long_path(existing).c_str(), nullptr) != FALSE;
}

// Where the system makes hard links; tests put in one that has none, as FAT.
Cmake_hard_link make_hard_link = system_hard_link;

// What a target is after the check's wait for a program that holds it (about a
// second): let go, still held, or refused for another reason.
Cmove_outcome after_waiting(const std::wstring& target, bool read_only)
{
    switch (check_writable(target, read_only)) {
    case Cwrite_check::writable:
        return Cmove_outcome::moved;
    case Cwrite_check::in_use:
        return Cmove_outcome::in_use;
    case Cwrite_check::refused:
        break;
    }
    return Cmove_outcome::refused;
}

// Whether another program holds the target so that it cannot be replaced: opened
// for deletion with every sharing, as the rename over it will. Asked before the
// link is made, since a link to a held file cannot be removed until it is let go.
// The same open reads the target's access list into `access_list` (one open of the
// file fewer per file); where the list may not be read, deletion is asked alone.
Cmove_outcome free_to_replace(const std::wstring& target, bool read_only,
                              std::vector<BYTE>& access_list)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    Chandle probe =
        open_file(target, DELETE | READ_CONTROL, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (probe.is_open()) {
        access_list = access_descriptor(probe.get());
        return Cmove_outcome::moved;
    }
    if (GetLastError() == ERROR_ACCESS_DENIED)
        probe = open_file(target, DELETE, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (probe.is_open() || !is_held_or_refused(GetLastError()))
        return Cmove_outcome::moved;  // free, or the rename tells what is wrong
    return after_waiting(target, read_only);
}

// A file that a program has mapped into memory (an archive read through a mapping,
// its handles closed) opens for writing but can be neither replaced nor deleted
// under any of its names. Marking its second name in the staging folder for
// deletion asks just that; the mark is taken back at once, and a run cut off in
// between would lose only that second name.
bool mapped_by_a_program(const std::wstring& second_name)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const Chandle link = open_file(second_name, DELETE, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!link.is_open())
        return false;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition,
                                   sizeof disposition)) {
        disposition.DeleteFile = FALSE;
        SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition,
                                   sizeof disposition);
        return false;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

// The new file takes the old one's read-only attribute once it is in place.
Cmove_outcome keep_read_only(const std::wstring& target)
{
    const DWORD attributes = file_attributes(target);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !set_file_attributes(target, attributes | FILE_ATTRIBUTE_READONLY))
        return Cmove_outcome::refused;
    return Cmove_outcome::moved;
}

// A renamed file flushed, its directory entry with it. A read-only file cannot be
// opened for the flush: it loses the attribute for that moment.
bool flush_renamed(const std::wstring& path)
{
    const DWORD attributes = file_attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return flush_file(path);
    if (!set_file_attributes(path, attributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    const bool flushed = flush_file(path);
    return set_file_attributes(path, attributes) && flushed;
}

// Keeps the old file in the staging folder and puts the new one over it. A hard
// link keeps the target's name taken, so the new file is renamed over a name that
// exists, which costs little; without hard links (FAT) the old file is renamed
// away and the new one into the freed name. So is a read-only file, which cannot
// be renamed over: it keeps its attribute, and the new file is given it. Entries of
// its own in the old file's access list go to the new file before it is put there.
// Where the file system keeps no journal, the old file's new name is on the disk
// before the new file takes the target's: a power loss cannot lose the one rename
// and keep the other, which would leave no old file to put back.
Cmove_outcome replace_keeping_old(const std::wstring& staged, const std::wstring& old,
                                  const std::wstring& target, bool read_only,
                                  Caccess_carrier& access, bool names_in_order)
{
    std::vector<BYTE> access_list;
    const Cmove_outcome free = free_to_replace(target, read_only, access_list);
    if (free != Cmove_outcome::moved)
        return free;
    if (!access.carry(std::move(access_list), target, staged))
        return Cmove_outcome::refused;
    if (!read_only && make_hard_link(old, target)) {
        cut_off_point();
        const Cmove_outcome placed = move_waiting(staged, target, true);
        // Mapped by the game: it is in use, however the rename was refused.
        return placed == Cmove_outcome::refused && mapped_by_a_program(old) ? Cmove_outcome::in_use
                                                                           : placed;
    }
    const Cmove_outcome away = move_waiting(target, old, false);
    if (away != Cmove_outcome::moved)
        return away;
    if (!names_in_order && !flush_renamed(old))
        return Cmove_outcome::refused;
    cut_off_point();
    const Cmove_outcome placed = move_waiting(staged, target, false);
    return placed == Cmove_outcome::moved && read_only ? keep_read_only(target) : placed;
}

// The folders of the record that `relative` lies in, outermost first, each made
// once per run.
bool make_folders_for(const std::wstring& dest_dir, const std::wstring& relative,
                      const std::set<std::wstring>& recorded, std::set<std::wstring>& made)
{
    for (std::wstring::size_type end = relative.find(L'\\'); end != std::wstring::npos;
         end = relative.find(L'\\', end + 1)) {
        const std::wstring folder = fold_path_case(relative.substr(0, end));
        if (!recorded.count(folder) || !made.insert(folder).second)
            continue;
        if (!make_folder(join_path(dest_dir, relative.substr(0, end))))
            return false;
    }
    return true;
}

// A file where the target's folder has to be: the file can be neither made nor
// opened there.
bool folder_missing(const std::wstring& target)
{
    return !is_folder(path_folder(target));
}

Cfault refusal(Cmove_outcome outcome, const std::wstring& dest_path)
{
    using Ckind = Cfault::Ckind;
    if (outcome == Cmove_outcome::in_use)
        return fault_at(Ckind::destination_in_use, dest_path);
    return fault_at(folder_missing(dest_path) ? Ckind::destination_open_failed
                                              : Ckind::destination_write_failed,
                    dest_path);
}

}  // namespace

Cmake_hard_link replace_hard_link_function(Cmake_hard_link function)
{
    const Cmake_hard_link previous = make_hard_link;
    make_hard_link = function ? function : system_hard_link;
    return previous;
}

Cmove_outcome move_waiting(const std::wstring& from, const std::wstring& to, bool replace)
{
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    const auto move = [&] {
        return MoveFileExW(long_path(from).c_str(), long_path(to).c_str(), flags) != FALSE;
    };
    if (try_through_brief_holds(move, is_held_or_refused))
        return Cmove_outcome::moved;
    // Still refused after the wait: in use where another program holds the target.
    const DWORD error = GetLastError();
    if (!is_held_or_refused(error) || file_attributes(to) == INVALID_FILE_ATTRIBUTES)
        return Cmove_outcome::refused;
    if (!opens_to_replace(to) && is_held(GetLastError()))
        return Cmove_outcome::in_use;
    return Cmove_outcome::refused;
}

Cfault put_files_in_place(const std::wstring& dest_dir, const Crun_record& record,
                          std::size_t& placed)
{
    placed = 0;
    std::set<std::wstring> recorded;
    for (const std::wstring& folder : record.folders)
        recorded.insert(fold_path_case(folder));
    std::set<std::wstring> made;
    Caccess_carrier access;
    const bool names_in_order = volume_keeps_names_in_order(dest_dir);
    for (const Crecorded_file& file : record.files) {
        const std::wstring target = join_path(dest_dir, file.relative);
        const std::wstring staged = staged_new_path(dest_dir, file.index);
        Cmove_outcome outcome = Cmove_outcome::refused;
        if (file.replaces) {
            outcome = replace_keeping_old(staged, staged_old_path(dest_dir, file.index), target,
                                          file.read_only, access, names_in_order);
        } else {
            if (!make_folders_for(dest_dir, file.relative, recorded, made))
                return fault_at(Cfault::Ckind::destination_open_failed, target);
            outcome = move_waiting(staged, target, false);
        }
        if (outcome != Cmove_outcome::moved)
            return refusal(outcome, target);
        ++placed;
        cut_off_point();
    }
    return Cfault();
}

bool make_swap_durable(const std::wstring& dest_dir, const Crun_record& record)
{
    if (volume_keeps_names_in_order(dest_dir) || flush_volume(dest_dir))
        return true;
    const auto flushed_if_there = [](const std::wstring& path) {
        return file_attributes(path) == INVALID_FILE_ATTRIBUTES || flush_renamed(path);
    };
    for (const Crecorded_file& file : record.files) {
        if (!flushed_if_there(join_path(dest_dir, file.relative)) ||
            (file.replaces && !flushed_if_there(staged_old_path(dest_dir, file.index))))
            return false;
    }
    return true;
}

void remove_stale_temporaries(const std::wstring& dest_dir, const std::vector<Cplanned_file>& plan)
{
    for (const Cplanned_file& file : plan) {
        if (file.target.stale_temporary.empty())
            continue;
        const std::wstring path =
            join_path(path_folder(join_path(dest_dir, file.relative)), file.target.stale_temporary);
        set_file_attributes(path, FILE_ATTRIBUTE_NORMAL);
        delete_file(path);
    }
}
