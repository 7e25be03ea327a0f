#include "copy/update_run.h"

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "copy/copier.h"
#include "copy/digest_check.h"
#include "copy/folder_listing.h"
#include "copy/mend.h"
#include "copy/put_in_place.h"
#include "copy/run_record.h"
#include "copy/staging.h"
#include "copy/update_plan.h"
#include "copy/update_process_dialog.h"
#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "toolkit/dialog.h"
#include "util/file.h"
#include "util/path.h"

namespace {

void pump()
{
    ruko::pump_messages();
}

// What the update record holds: the list read from gamedata.sha256, or none.
Cexpected_digests expected_digests_of_update()
{
    return update_info.has_digest_list ? Cexpected_digests(update_info.listed_digests)
                                       : Cexpected_digests();
}

// After the Yes, before anything is written: every file of the plan is listed.
// False after telling the user which one is not.
bool check_plan_listed(const Cexpected_digests& expected, const std::vector<Cplanned_file>& plan)
{
    if (!expected.active())
        return true;
    for (const Cplanned_file& file : plan) {
        if (!expected.find(file.relative))
            return fail_update(
                msg::source_not_in_digest_list(update_info.source_dir + L"\\" + file.relative));
    }
    return true;
}

// The target's path below the installation folder, its name as on disk.
std::wstring installed_relative(const Cplanned_file& file)
{
    if (!file.target.exists)
        return file.relative;
    const std::wstring::size_type slash = file.relative.rfind(L'\\');
    const std::wstring folder =
        slash == std::wstring::npos ? std::wstring() : file.relative.substr(0, slash + 1);
    return folder + file.target.name_on_disk;
}

// The folders above `relative` that the installation lacks, outermost first, each
// looked at once.
void add_missing_folders(const std::wstring& relative, std::set<std::wstring>& seen,
                         std::vector<std::wstring>& missing)
{
    for (std::wstring::size_type end = relative.find(L'\\'); end != std::wstring::npos;
         end = relative.find(L'\\', end + 1)) {
        const std::wstring folder = relative.substr(0, end);
        if (!seen.insert(fold_path_case(folder)).second)
            continue;
        const std::wstring path = update_info.dest_dir + L"\\" + folder;
        if (file_attributes(path) == INVALID_FILE_ATTRIBUTES)
            missing.push_back(folder);
    }
}

// The record of the run: each target once, staged under the number of its first
// file in the plan; `staged` gives each file of the plan its staged number.
Crun_record record_of(const std::vector<Cplanned_file>& plan, std::vector<std::size_t>& staged)
{
    Crun_record record;
    std::map<std::wstring, std::size_t> by_target;
    std::set<std::wstring> folders_seen;
    for (const Cplanned_file& file : plan) {
        const std::wstring relative = installed_relative(file);
        const auto found = by_target.emplace(fold_path_case(relative), record.files.size());
        staged.push_back(found.first->second);
        if (!found.second)
            continue;
        const bool read_only =
            file.target.exists && (file.target.attributes & FILE_ATTRIBUTE_READONLY);
        record.files.push_back({record.files.size(), file.target.exists, relative, read_only});
        if (!file.target.exists)
            add_missing_folders(relative, folders_seen, record.folders);
    }
    return record;
}

// Every new file in full in the staging folder, on the disk.
bool write_new_files(Ccopier& copier, const std::vector<Cplanned_file>& plan,
                     const std::vector<std::size_t>& staged, std::uint64_t run_total,
                     std::uint64_t& run_remaining)
{
    const std::wstring& dest_dir = update_info.dest_dir;
    copier.begin_writing(dest_dir);
    std::vector<std::wstring> staged_paths;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::wstring path = staged_new_path(dest_dir, staged[i]);
        if (staged[i] == staged_paths.size()) {
            staged_paths.push_back(path);
            if (!make_staging_folder_for(dest_dir, staged[i]))
                return copier.fail(
                    msg::destination_open_failed(dest_dir + L"\\" + plan[i].relative));
        }
        if (!copier.write_new_file(plan[i].relative, path, plan[i].target, run_total,
                                   run_remaining))
            return false;
        cut_off_point();
    }
    return copier.end_writing(staged_paths);
}

void remove_stale_temporaries(const std::vector<Cplanned_file>& plan)
{
    for (const Cplanned_file& file : plan) {
        if (file.target.stale_temporary.empty())
            continue;
        const std::wstring path = path_folder(update_info.dest_dir + L"\\" + file.relative) +
                                  L"\\" + file.target.stale_temporary;
        set_file_attributes(path, FILE_ATTRIBUTE_NORMAL);
        delete_file(path);
    }
}

bool install_staged_files(Ccopier& copier, const std::vector<Cplanned_file>& plan,
                          std::uint64_t run_total, std::uint64_t& run_remaining)
{
    const std::wstring& dest_dir = update_info.dest_dir;
    std::vector<std::size_t> staged;
    Crun_record record = record_of(plan, staged);
    const std::wstring record_path = run_record_path(dest_dir);
    if (!write_run_record(record_path, record)) {
        delete_file(record_path);
        return copier.fail(msg::destination_write_failed(record_path));
    }
    cut_off_point();
    if (!write_new_files(copier, plan, staged, run_total, run_remaining)) {
        carry_out_run_record(dest_dir, record);
        return false;  // the copier has told the user
    }
    std::wstring warning;
    std::size_t placed = 0;
    if (!put_files_in_place(dest_dir, record, warning, placed)) {
        // Only what was touched is put back: the files put in place, and the one
        // refused if it replaces an old file (which may have been renamed away). A
        // file to add that was refused may be another program's, made meanwhile.
        Crun_record undone = record;
        undone.files.resize(placed < record.files.size() && record.files[placed].replaces
                                ? placed + 1
                                : placed);
        carry_out_run_record(dest_dir, undone);
        return copier.fail(warning);
    }
    if (!mark_run_record_done(record_path)) {
        carry_out_run_record(dest_dir, record);
        return copier.fail(msg::destination_write_failed(record_path));
    }
    cut_off_point();
    remove_stale_temporaries(plan);
    // Whatever is left of this (a file in the staging folder another program holds)
    // the next run removes.
    record.done = true;
    carry_out_run_record(dest_dir, record);
    return true;
}

}  // namespace

bool install_files(Ccopier& copier, const std::vector<Cplanned_file>& plan,
                   std::uint64_t run_total, std::uint64_t& run_remaining)
{
    if (plan.empty())
        return true;
    try {
        return install_staged_files(copier, plan, run_total, run_remaining);
    } catch (const Crun_cut_off&) {
        return false;  // cut off through the tests' seam: everything stays as it is
    }
}

bool run_update()
{
    Cupdate_process_dialog& dialog = update_process_dialog;
    // Without a window every dialog call below does nothing and the copy runs unseen.
    dialog.create(L"update");
    dialog.set_text(update_info.game_title + msg::dialog_title_suffix);
    dialog.progress[0].set_range(0, 1000);
    dialog.progress[1].set_range(0, 1000);
    dialog.show(true);

    bool copied = false;
    try {
        copied = update_process();
    } catch (...) {
        // Whatever the run was doing, the user hears why it ended.
        copied = fail_update(msg::out_of_memory);
    }

    if (dialog.hwnd) {  // the user may have closed it already
        dialog.show(false);
        dialog.destroy();
    }
    return copied;
}

bool update_process()
{
    std::vector<std::wstring> entries;
    for (const std::wstring& entry : update_info.copy_files)
        entries.push_back(normalized_entry(entry));

    std::vector<Cplanned_file> plan;
    const Cexpected_digests expected = expected_digests_of_update();
    if (!plan_update(entries, pump, plan) || !check_plan_listed(expected, plan) ||
        !check_before_copy(plan, pump))
        return false;  // nothing in the installation has changed

    std::uint64_t run_total = 0;
    for (const Cplanned_file& file : plan)
        run_total += file.size;
    std::uint64_t run_remaining = run_total;
    Ccopier copier;
    copier.check_digests(expected);
    if (!install_files(copier, plan, run_total, run_remaining))
        return false;  // the user has been told; the installation is as it was
    copier.show_progress_now();  // the last file and both bars at their ends
    return true;
}
