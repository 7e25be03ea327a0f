#include "copy/plan/folder_listing.h"

#include "util/file.h"
#include "util/path.h"

namespace {

// Items between two ticks of a long listing.
constexpr std::size_t items_per_tick = 256;

bool is_dot_or_dot_dot(const wchar_t* name)
{
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

Clisted_item make_item(const WIN32_FIND_DATAW& data)
{
    Clisted_item item;
    item.name = data.cFileName;
    item.attributes = data.dwFileAttributes;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        item.reparse_tag = data.dwReserved0;
    item.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return item;
}

Cfolder_items failed_with(DWORD error)
{
    Cfolder_items result;
    result.status = error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND
                        ? Clisting_status::missing
                        : Clisting_status::failed;
    return result;
}

Clist_function current_list_function = list_folder_items;

}  // namespace

Cfolder_items list_folder_items(const std::wstring& folder, const Clisting_tick& tick)
{
    WIN32_FIND_DATAW data;
    Cfind_search search(long_path(folder + L"\\*"), data);
    if (!search.found_first())
        return failed_with(GetLastError());
    Cfolder_items result;
    result.status = Clisting_status::listed;
    do {
        if (is_dot_or_dot_dot(data.cFileName))
            continue;
        result.items.push_back(make_item(data));
        if (tick && result.items.size() % items_per_tick == 0)
            tick();
    } while (search.next(data));
    // Anything but the end of the folder means items were left unread.
    if (GetLastError() != ERROR_NO_MORE_FILES)
        result.status = Clisting_status::failed;
    return result;
}

Clist_function replace_list_function(Clist_function function)
{
    const Clist_function previous = current_list_function;
    current_list_function = function ? function : list_folder_items;
    return previous;
}

const Cfolder_items& Cfolder_cache::items(const std::wstring& folder)
{
    const std::wstring key = fold_path_case(folder);
    auto found = folders_.find(key);
    if (found != folders_.end())
        return found->second;
    if (tick_)
        tick_();
    Cfolder_items& listed = folders_.emplace(key, current_list_function(folder, tick_)).first->second;
    for (std::size_t i = 0; i < listed.items.size(); ++i)
        listed.by_name.emplace(name_key(listed.items[i].name), i);
    return listed;
}

const Clisted_item* Cfolder_cache::find(const std::wstring& folder, const std::wstring& name)
{
    const Cfolder_items& listed = items(folder);
    const auto found = listed.by_name.find(name_key(name));
    return found == listed.by_name.end() ? nullptr : &listed.items[found->second];
}

std::wstring Cfolder_cache::name_key(const std::wstring& name) const
{
    return match_ == Cname_match::ascii_letters ? lower_ascii_copy(name) : fold_path_case(name);
}

std::wstring fold_path_case(const std::wstring& path)
{
    std::wstring key = path;
    if (!key.empty())
        CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}
