#include "copy/plan/update_plan.h"

#include <windows.h>

#include "config/patch_sources.h"
#include "copy/plan/file_list.h"
#include "delta/vcdiff_decoder.h"
#include "delta/vcdiff_files.h"
#include "util/file.h"
#include "util/path.h"

namespace {

std::vector<std::wstring> split_entry(const std::wstring& entry)
{
    std::vector<std::wstring> parts;
    std::wstring::size_type start = 0;
    for (;;) {
        const std::wstring::size_type end = entry.find(L'\\', start);
        parts.push_back(entry.substr(start, end - start));
        if (end == std::wstring::npos)
            return parts;
        start = end + 1;
    }
}

// The entry names nothing the copy can find. The system may still find something
// under its looser rules: a folder gets the folder message.
Cfault entry_missing(const std::wstring& source_dir, const std::wstring& entry)
{
    const std::wstring path = join_path(source_dir, entry);
    const DWORD attributes = file_attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fault_at(Cfault::Ckind::source_folder_missing, entry);
    return fault_at(Cfault::Ckind::source_file_missing, path);
}

Cfault plan_folder_entry(Cfolder_cache& sources, const std::wstring& source_dir,
                         const std::wstring& entry, std::vector<Cplanned_file>& plan)
{
    Cfile_list list;
    list.cache = &sources;
    list.search(join_path(source_dir, entry), L"*", L"*", true);
    if (!list.unlisted_folders.empty()) {
        const Cunlisted_folder& first = list.unlisted_folders.front();
        return fault_at(first.is_link ? Cfault::Ckind::folder_link : Cfault::Ckind::folder_unreadable,
                        first.path);
    }
    for (const Cfile_entry& file : list.files)
        plan.push_back({join_path(entry, file.name), file.size, Ctarget()});
    return Cfault();
}

}  // namespace

// Walks the entry from the top of the update data, one listed folder at a time.
Cfault plan_entry(Cfolder_cache& sources, const std::wstring& source_dir,
                  const std::wstring& entry, std::vector<Cplanned_file>& plan, bool& is_folder)
{
    is_folder = false;
    const std::vector<std::wstring> parts = split_entry(entry);
    std::wstring folder = source_dir;
    std::wstring relative_folder;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (sources.items(folder).status == Clisting_status::failed)
            return fault_at(Cfault::Ckind::folder_unreadable, folder);
        const Clisted_item* item = sources.find(folder, parts[i]);
        if (!item)
            return entry_missing(source_dir, entry);
        if (item->is_folder() && item->is_link())
            return fault_at(Cfault::Ckind::folder_link, join_path(folder, item->name));
        const bool last = i + 1 == parts.size();
        if (last && !item->is_folder()) {
            // The file's name as found in the update data; its folders as written.
            plan.push_back({relative_folder + item->name, item->size, Ctarget()});
            return Cfault();
        }
        if (!item->is_folder())
            return entry_missing(source_dir, entry);
        folder = join_path(folder, parts[i]);
        relative_folder += parts[i] + L"\\";
    }
    is_folder = true;
    return plan_folder_entry(sources, source_dir, entry, plan);
}

Cfault plan_update(const std::vector<std::wstring>& entries, const std::wstring& source_dir,
                   const Clisting_tick& tick, std::vector<Cplanned_file>& plan)
{
    Cfolder_cache sources(Cname_match::ascii_letters, tick);
    for (const std::wstring& entry : entries) {
        bool is_folder = false;
        const Cfault fault = plan_entry(sources, source_dir, entry, plan, is_folder);
        if (fault.found())
            return fault;
    }
    return Cfault();
}

Cfault plan_patches(const std::vector<std::wstring>& entries, const std::wstring& source_dir,
                    const std::vector<Clisted_digest>& before,
                    const std::vector<Clisted_digest>& after, std::vector<Cplanned_file>& plan)
{
    for (const std::wstring& entry : entries) {
        const std::wstring patch = patch_source_path(source_dir, entry);
        vcdiff::Cfile_input file;
        vcdiff::Cpatch_summary summary;
        if (!file.open(patch, FILE_SHARE_READ) || !vcdiff::read_patch_summary(file, summary).ok())
            return fault_at(Cfault::Ckind::patch_unreadable, patch);
        Cplanned_file planned;
        planned.relative = entry;
        planned.size = summary.target_size;
        planned.patched = true;
        planned.before = listed_for(before, entry);
        planned.after = listed_for(after, entry);
        plan.push_back(std::move(planned));
    }
    return Cfault();
}
