#include "copy/install.h"

#include <string>

#include "copy/base/cut_off.h"
#include "copy/mend/mend.h"
#include "copy/place/put_in_place.h"
#include "copy/record/plan_record.h"
#include "copy/record/run_record.h"
#include "copy/record/staging.h"
#include "util/file.h"

namespace {

using Ckind = Cfault::Ckind;

// Every new file in full in the staging folder, on the disk.
Cfault write_new_files(const Cupdate_folders& folders, const std::vector<Cplanned_file>& plan,
                       const std::vector<std::size_t>& staged, Ccopier& copier,
                       std::uint64_t run_total, std::uint64_t& run_remaining)
{
    const std::wstring& dest_dir = folders.dest_dir;
    copier.begin_writing(folders);
    std::size_t staged_files = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::wstring path = staged_new_path(dest_dir, staged[i]);
        if (staged[i] == staged_files) {
            ++staged_files;
            if (!make_staging_folder_for(dest_dir, staged[i]))
                return fault_at(Ckind::destination_open_failed, folders.dest(plan[i].relative));
        }
        const Cfault fault = copier.write_new_file(plan[i], path, run_total, run_remaining);
        if (fault.found())
            return fault;
        cut_off_point();
    }
    return copier.end_writing();
}

// The record with only what a refused swap touched: the files put in place, and
// the one refused if it replaces an old file (which may have been renamed away). A
// file to add that was refused may be another program's, made meanwhile.
Crun_record touched_part(const Crun_record& record, std::size_t placed)
{
    Crun_record touched = record;
    touched.files.resize(placed < record.files.size() && record.files[placed].replaces
                             ? placed + 1
                             : placed);
    return touched;
}

// Puts the staged files in place and marks the record done; undoes what it touched
// when it cannot.
Cfault swap_in(const std::wstring& dest_dir, const Crun_record& record,
               const std::wstring& record_path)
{
    std::size_t placed = 0;
    const Cfault fault = put_files_in_place(dest_dir, record, placed);
    if (fault.found()) {
        carry_out_run_record(dest_dir, touched_part(record, placed));
        return fault;
    }
    // Every rename of the swap on the disk before the record says "done", on file
    // systems that do not keep their order.
    if (!make_swap_durable(dest_dir, record) || !mark_run_record_done(record_path, record)) {
        carry_out_run_record(dest_dir, record);
        return fault_at(Ckind::destination_write_failed, record_path);
    }
    return Cfault();
}

}  // namespace

Cfault install_files(const Cupdate_folders& folders, const std::vector<Cplanned_file>& plan,
                     Ccopier& copier, std::uint64_t run_total, std::uint64_t& run_remaining)
{
    if (plan.empty())
        return Cfault();
    const std::wstring& dest_dir = folders.dest_dir;
    std::vector<std::size_t> staged;
    Crun_record record = record_of_plan(plan, dest_dir, staged);
    const std::wstring record_path = run_record_path(dest_dir);
    if (!write_run_record(record_path, record)) {
        delete_file(run_record_draft_path(record_path));
        delete_file(record_path);
        return fault_at(Ckind::destination_write_failed, record_path);
    }
    cut_off_point();
    Cfault fault = write_new_files(folders, plan, staged, copier, run_total, run_remaining);
    if (fault.found()) {
        copier.abandon_writing();  // no staged file may stay open for the undo
        carry_out_run_record(dest_dir, record);
        return fault;
    }
    fault = swap_in(dest_dir, record, record_path);
    if (fault.found())
        return fault;
    cut_off_point();
    remove_stale_temporaries(dest_dir, plan);
    // Whatever is left of this (a file in the staging folder another program holds)
    // the next run removes.
    record.done = true;
    carry_out_run_record(dest_dir, record);
    return Cfault();
}
