#include "copy/plan/file_list.h"

#include "copy/plan/folder_listing.h"
#include "util/path.h"

namespace {

const wchar_t* const any = L"*";

Cfile_entry make_entry(const std::wstring& relative_folder, const Clisted_item& item)
{
    Cfile_entry entry;
    entry.name = relative_folder + item.name;
    entry.is_folder = item.is_folder();
    entry.size = item.size;
    return entry;
}

}  // namespace

bool Cfile_list::search(const std::wstring& base_folder, const std::wstring& name_wanted,
                        const std::wstring& extension_wanted, bool with_subfolders)
{
    name_pattern = name_wanted;
    extension_pattern = extension_wanted;
    recursive = with_subfolders;
    want_files = true;
    want_folders = false;
    lower_name_pattern_ = lower_ascii_copy(name_pattern);
    lower_extension_pattern_ = lower_ascii_copy(extension_pattern);

    files.clear();  // total_size is kept: each list is searched once, from 0
    unreadable_folder.clear();
    unlisted_folders.clear();
    base_dir = base_folder + L"\\";
    if (!search_folder(std::wstring()))
        files.clear();
    return !files.empty();
}

bool Cfile_list::search_folder(const std::wstring& relative_folder)
{
    Cfolder_cache own_cache;  // each folder is listed once anyway: no run cache needed
    return search_in(cache ? *cache : own_cache, relative_folder);
}

bool Cfile_list::search_in(Cfolder_cache& folders, const std::wstring& relative_folder)
{
    const std::wstring folder = base_dir + relative_folder;
    const std::wstring folder_path = folder.substr(0, folder.size() - 1);  // without its '\\'
    const Cfolder_items& listed = folders.items(folder_path);
    if (listed.status == Clisting_status::missing && relative_folder.empty())
        return true;  // nothing to list
    if (listed.status != Clisting_status::listed) {
        not_listed(folder_path, false);
        return false;
    }
    bool whole = true;
    for (const Clisted_item& item : listed.items) {
        Cfile_entry entry = make_entry(relative_folder, item);
        if (!entry.is_folder) {
            if (want_files && matches(entry.name))
                keep(std::move(entry));
            continue;
        }
        const std::wstring subfolder = entry.name + L"\\";
        if (want_folders)
            keep(std::move(entry));
        if (!recursive)
            continue;
        if (item.is_link()) {
            not_listed(folder + item.name, true);
            whole = false;
            continue;
        }
        // Depth first: the subfolder's items come right where it was met.
        if (!search_in(folders, subfolder))
            whole = false;
    }
    return whole;
}

void Cfile_list::not_listed(const std::wstring& path, bool is_link)
{
    if (unlisted_folders.empty())
        unreadable_folder = path;
    unlisted_folders.push_back({path, is_link});
}

bool Cfile_list::matches(const std::wstring& name) const
{
    if (name_pattern != any &&
        lower_ascii_copy(path_without_extension(name)) != lower_name_pattern_)
        return false;
    if (extension_pattern != any &&
        lower_ascii_copy(path_extension(name)) != lower_extension_pattern_)
        return false;
    return true;
}

void Cfile_list::keep(Cfile_entry entry)
{
    total_size += entry.size;
    files.push_back(std::move(entry));
}
