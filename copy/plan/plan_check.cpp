#include "copy/plan/plan_check.h"

#include <windows.h>

#include <set>

#include "config/patch_sources.h"
#include "copy/base/held_files.h"
#include "copy/plan/patch_check.h"
#include "copy/plan/room.h"
#include "util/file.h"
#include "util/path.h"

namespace {

using Ckind = Cfault::Ckind;

// A file where a folder of the destination has to be: the copy could make neither
// the folder nor the file. Looks from the folder up to the installation folder.
bool file_in_the_way(const std::wstring& dest_dir, std::wstring folder)
{
    while (folder.size() > dest_dir.size()) {
        const DWORD attributes = file_attributes(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        folder = path_folder(folder);
    }
    return false;
}

// Lists each folder of the installation once and fills every file's target.
Cfault find_targets(std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                    const Clisting_tick& tick)
{
    Cfolder_cache installed(Cname_match::file_system, tick);
    std::set<std::wstring> folders_to_make;
    for (Cplanned_file& file : plan) {
        const std::wstring dest_path = join_path(dest_dir, file.relative);
        const std::wstring folder = path_folder(dest_path);
        const Cfolder_items& listed = installed.items(folder);
        if (listed.status != Clisting_status::listed &&
            folders_to_make.insert(fold_path_case(folder)).second &&
            file_in_the_way(dest_dir, folder))
            return fault_at(Ckind::destination_open_failed, dest_path);
        if (listed.status == Clisting_status::failed)
            return fault_at(Ckind::folder_unreadable, folder);
        const Clisted_item* stale =
            installed.find(folder, path_file_name(dest_path) + temporary_suffix);
        if (stale && !stale->is_folder())
            file.target.stale_temporary = stale->name;
        const Clisted_item* item = installed.find(folder, path_file_name(dest_path));
        if (!item)
            continue;
        if (item->is_folder())
            return fault_at(Ckind::destination_open_failed, dest_path);
        file.target.exists = true;
        file.target.name_on_disk = item->name;
        file.target.attributes = item->attributes;
        file.target.size = item->size;
    }
    return Cfault();
}

Cfault check_targets_writable(const std::vector<Cplanned_file>& plan, const std::wstring& dest_dir)
{
    std::set<std::wstring> checked;
    for (const Cplanned_file& file : plan) {
        if (!file.target.exists)
            continue;
        const std::wstring dest_path = join_path(dest_dir, file.relative);
        if (!checked.insert(fold_path_case(dest_path)).second)
            continue;
        const bool read_only = (file.target.attributes & FILE_ATTRIBUTE_READONLY) != 0;
        switch (check_writable(join_path(path_folder(dest_path), file.target.name_on_disk),
                               read_only)) {
        case Cwrite_check::writable:
            break;
        case Cwrite_check::in_use:
            return fault_at(Ckind::destination_in_use, dest_path);
        case Cwrite_check::refused:
            return fault_at(Ckind::destination_open_failed, dest_path);
        }
    }
    return Cfault();
}

Cfault check_room(const std::vector<Cplanned_file>& plan, const std::wstring& dest_dir)
{
    std::uint64_t available = 0;
    if (!volume_free_bytes(dest_dir, available))
        return Cfault();  // nothing to go by; the copy reports a full volume itself
    std::vector<Croom_file> files;
    // Named by the whole path, as update-check names them, so that both count the
    // record alike.
    for (const Cplanned_file& file : plan)
        files.push_back({join_path(dest_dir, file.relative), file.size, file.target.exists,
                         file.target.size});
    const std::uint64_t needed = room_needed(files, volume_cluster_size(dest_dir));
    if (available >= needed)
        return Cfault();
    Cfault fault;
    fault.kind = Ckind::not_enough_room;
    fault.needed_mb = megabytes_rounded_up(needed);
    fault.free_mb = megabytes_rounded_down(available);
    return fault;
}

}  // namespace

Cfault check_plan_listed(const Cexpected_digests& expected, const std::vector<Cplanned_file>& plan,
                         const std::wstring& source_dir)
{
    if (!expected.active())
        return Cfault();
    for (const Cplanned_file& file : plan) {
        // A patched file reads its patch from the update data, not the file itself.
        const std::wstring read = file.patched ? file.relative + patch_suffix : file.relative;
        if (!expected.find(read))
            return fault_at(Ckind::source_not_in_digest_list, join_path(source_dir, read));
    }
    return Cfault();
}

Cfault check_before_copy(std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                         const Clisting_tick& tick, Crun_progress& progress)
{
    Cfault fault = find_targets(plan, dest_dir, tick);
    if (!fault.found())
        fault = check_targets_writable(plan, dest_dir);
    if (!fault.found())
        fault = check_patched_targets(plan, dest_dir, progress);
    if (!fault.found())
        fault = check_room(plan, dest_dir);
    return fault;
}
