#include "copy/record/plan_record.h"

#include <windows.h>

#include <map>
#include <set>

#include "util/file.h"
#include "util/path.h"

namespace {

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
void add_missing_folders(const std::wstring& dest_dir, const std::wstring& relative,
                         std::set<std::wstring>& seen, std::vector<std::wstring>& missing)
{
    for (std::wstring::size_type end = relative.find(L'\\'); end != std::wstring::npos;
         end = relative.find(L'\\', end + 1)) {
        const std::wstring folder = relative.substr(0, end);
        if (!seen.insert(fold_path_case(folder)).second)
            continue;
        if (file_attributes(join_path(dest_dir, folder)) == INVALID_FILE_ATTRIBUTES)
            missing.push_back(folder);
    }
}

}  // namespace

Crun_record record_of_plan(const std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                           std::vector<std::size_t>& staged)
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
            add_missing_folders(dest_dir, relative, folders_seen, record.folders);
    }
    return record;
}
