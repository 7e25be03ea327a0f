#include "copy/mend/mend.h"

#include <windows.h>

#include "copy/base/cut_off.h"
#include "copy/place/put_in_place.h"
#include "copy/record/staging.h"
#include "util/file.h"
#include "util/path.h"

namespace {

bool exists(const std::wstring& path)
{
    return file_attributes(path) != INVALID_FILE_ATTRIBUTES;
}

// Two names of one file: the hard link kept of a target that was never replaced.
bool same_file(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION info[2] = {};
    const std::wstring* paths[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        // Its attributes only: a file the game holds can still be told apart.
        const Chandle file =
            open_file(*paths[i], FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL);
        if (!file.is_open() || !GetFileInformationByHandle(file.get(), &info[i]))
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The old file put back has its read-only attribute again, whatever took it off
// meanwhile.
bool keep_attribute(const std::wstring& path, DWORD attribute)
{
    const DWORD attributes = file_attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ((attributes & attribute) || set_file_attributes(path, attributes | attribute));
}

// The target as it was before the run: the old file back (where it was moved
// away or replaced), a file the run added removed.
bool put_back(const std::wstring& dest_dir, const Crecorded_file& file)
{
    const std::wstring target = join_path(dest_dir, file.relative);
    if (!file.replaces)
        return !exists(target) || delete_file(target);
    const std::wstring old = staged_old_path(dest_dir, file.index);
    if (!exists(old) || same_file(old, target))
        return true;  // never replaced
    // The new file may have been given the old one's read-only attribute.
    const DWORD attributes = file_attributes(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        set_file_attributes(target, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (move_waiting(old, target, true) != Cmove_outcome::moved)
        return false;
    return !file.read_only || keep_attribute(target, FILE_ATTRIBUTE_READONLY);
}

// A version of the record that was being written when the run was cut off: the
// record itself (or its absence) tells the truth, never the draft.
bool remove_draft(const std::wstring& dest_dir)
{
    const std::wstring draft = run_record_draft_path(run_record_path(dest_dir));
    return delete_file(draft) || !exists(draft);
}

bool undo(const std::wstring& dest_dir, const Crun_record& record)
{
    bool undone = true;
    for (auto file = record.files.rbegin(); file != record.files.rend(); ++file)
        undone = put_back(dest_dir, *file) && undone;
    // A folder that holds something the run did not bring stays.
    for (auto folder = record.folders.rbegin(); folder != record.folders.rend(); ++folder)
        RemoveDirectoryW(long_path(join_path(dest_dir, *folder)).c_str());
    return undone;
}

}  // namespace

bool carry_out_run_record(const std::wstring& dest_dir, const Crun_record& record)
{
    // The old files back in place are on the disk before the staging folder and the
    // record, which tell how to put them back, go.
    if (!record.done && (!undo(dest_dir, record) || !make_swap_durable(dest_dir, record)))
        return false;
    // The staging folder goes before the record: a record without a staging folder
    // is carried out again without harm, a staging folder without a record would
    // hold old files nobody knows of.
    if (!remove_folder_tree(staging_folder(dest_dir)) || !remove_draft(dest_dir))
        return false;
    cut_off_point();
    const std::wstring path = run_record_path(dest_dir);
    return delete_file(path) || !exists(path);
}

Cfault mend_cut_off_run_in(const std::wstring& dest_dir)
{
    using Ckind = Cfault::Ckind;
    const std::wstring path = run_record_path(dest_dir);
    Crun_record record;
    switch (read_run_record(path, record)) {
    case Crecord_read::none:
        // Cut off before the record was in place: only staged files and a draft of
        // the record can be left.
        if (remove_folder_tree(staging_folder(dest_dir)) && remove_draft(dest_dir))
            return Cfault();
        return fault_at(Ckind::cut_off_run_not_undone, staging_folder(dest_dir));
    case Crecord_read::read:
        if (carry_out_run_record(dest_dir, record))
            return Cfault();
        break;
    case Crecord_read::unreadable:
        break;
    }
    return fault_at(Ckind::cut_off_run_not_undone, path);
}
