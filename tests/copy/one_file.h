#pragma once
// Single files copied the way a run copies them, for the writer's tests: each file
// a run of its own (record, staging folder, swap), through one progress view on the
// process's dialog, a fault told as the run's leader tells it.

#include <windows.h>

#include <cstdint>
#include <string>

#include "copy/base/cut_off.h"
#include "copy/base/update_folders.h"
#include "copy/install.h"
#include "copy/plan/target.h"
#include "copy/progress_view.h"
#include "copy/update_process_dialog.h"
#include "copy/update_run.h"
#include "copy/write/copier.h"
#include "session/update_info.h"
#include "util/path.h"

namespace copy_test {

// What the installation holds at `path`, looked up on its own.
inline Ctarget look_up_target(const std::wstring& path)
{
    Ctarget target;
    WIN32_FIND_DATAW found;
    {
        const Cfind_search stale(long_path(path + temporary_suffix), found);
        if (stale.found_first())
            target.stale_temporary = found.cFileName;
    }
    const Cfind_search search(long_path(path), found);
    if (!search.found_first())
        return target;
    target.exists = true;
    target.name_on_disk = found.cFileName;
    target.attributes = found.dwFileAttributes;
    target.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return target;
}

inline Cupdate_folders folders_of_update()
{
    return {update_info.source_dir, update_info.dest_dir};
}

// One writer and one view across the files of a test, as across the files of a run.
class Cone_file_copier {
public:
    Cone_file_copier() : view_(update_process_dialog), copier_(view_) {}

    // Copies source_dir\relative over dest_dir\relative (creating its folders) as a
    // run of one file, subtracting every byte copied from run_remaining. `target` is
    // what the installation holds there; null looks it up. True when the whole file
    // is in place; false after the user has been told why.
    bool copy_one_file(const std::wstring& relative, std::uint64_t run_total,
                       std::uint64_t& run_remaining, const Ctarget* target = nullptr)
    {
        const Cupdate_folders folders = folders_of_update();
        const Cplanned_file file = {relative, 0,
                                    target ? *target : look_up_target(folders.dest(relative))};
        try {
            const Cfault fault = install_files(folders, {file}, copier_, run_total, run_remaining);
            return !fault.found() || report_fault(view_, fault);
        } catch (const Crun_cut_off&) {
            return false;
        }
    }

    // The writer's own step for one file, its fault told as the run tells it.
    bool write_new_file(const std::wstring& relative, const std::wstring& staged_path,
                        const Ctarget& target, std::uint64_t run_total,
                        std::uint64_t& run_remaining)
    {
        const Cplanned_file file = {relative, 0, target};
        const Cfault fault = copier_.write_new_file(file, staged_path, run_total, run_remaining);
        return !fault.found() || report_fault(view_, fault);
    }

    void begin_writing() { copier_.begin_writing(folders_of_update()); }
    void show_progress_now() { view_.show_now(); }

private:
    Cprogress_view view_;
    Ccopier copier_;
};

// One file with a writer of its own.
inline bool copy_one_file(const std::wstring& relative, std::uint64_t run_total,
                          std::uint64_t& run_remaining)
{
    Cone_file_copier copier;
    const bool copied = copier.copy_one_file(relative, run_total, run_remaining);
    if (copied)
        copier.show_progress_now();
    return copied;
}

}  // namespace copy_test
