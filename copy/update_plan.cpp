#include "copy/update_plan.h"

#include <windows.h>

#include <set>

#include "copy/file_list.h"
#include "copy/room.h"
#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "toolkit/dialog.h"
#include "util/file.h"
#include "util/path.h"

namespace {

// A file another program holds is tried brief_hold_tries times, this far apart.
constexpr DWORD write_check_pause_ms = 250;

// Waits a while with the dialog alive.
void pause_pumping(DWORD milliseconds)
{
    const ULONGLONG until = GetTickCount64() + milliseconds;
    while (GetTickCount64() < until) {
        ruko::pump_messages();
        Sleep(20);
    }
}

Chold_pause hold_pause = pause_pumping;

// A file where a folder of the destination has to be: the copy could make neither
// the folder nor the file. Looks from the folder up to the installation folder.
bool file_in_the_way(std::wstring folder)
{
    while (folder.size() > update_info.dest_dir.size()) {
        const DWORD attributes = file_attributes(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        folder = path_folder(folder);
    }
    return false;
}

// Lists each folder of the installation once and fills every file's target.
bool find_targets(std::vector<Cplanned_file>& plan, const Clisting_tick& tick)
{
    Cfolder_cache installed(Cname_match::file_system, tick);
    std::set<std::wstring> folders_to_make;
    for (Cplanned_file& file : plan) {
        const std::wstring dest_path = update_info.dest_dir + L"\\" + file.relative;
        const std::wstring folder = path_folder(dest_path);
        const Cfolder_items& listed = installed.items(folder);
        if (listed.status != Clisting_status::listed &&
            folders_to_make.insert(fold_path_case(folder)).second && file_in_the_way(folder))
            return fail_update(msg::destination_open_failed(dest_path));
        if (listed.status == Clisting_status::failed)
            return fail_update(msg::folder_unreadable(folder));
        const Clisted_item* stale =
            installed.find(folder, path_file_name(dest_path) + temporary_suffix);
        if (stale && !stale->is_folder())
            file.target.stale_temporary = stale->name;
        const Clisted_item* item = installed.find(folder, path_file_name(dest_path));
        if (!item)
            continue;
        if (item->is_folder())
            return fail_update(msg::destination_open_failed(dest_path));
        file.target.exists = true;
        file.target.name_on_disk = item->name;
        file.target.attributes = item->attributes;
        file.target.size = item->size;
    }
    return true;
}

bool check_targets_writable(const std::vector<Cplanned_file>& plan)
{
    std::set<std::wstring> checked;
    for (const Cplanned_file& file : plan) {
        if (!file.target.exists)
            continue;
        const std::wstring dest_path = update_info.dest_dir + L"\\" + file.relative;
        if (!checked.insert(fold_path_case(dest_path)).second)
            continue;
        const bool read_only = (file.target.attributes & FILE_ATTRIBUTE_READONLY) != 0;
        switch (check_writable(path_folder(dest_path) + L"\\" + file.target.name_on_disk,
                               read_only)) {
        case Cwrite_check::writable:
            break;
        case Cwrite_check::in_use:
            return fail_update(msg::destination_in_use(dest_path));
        case Cwrite_check::refused:
            return fail_update(msg::destination_open_failed(dest_path));
        }
    }
    return true;
}

bool check_room(const std::vector<Cplanned_file>& plan)
{
    std::uint64_t available = 0;
    if (!volume_free_bytes(update_info.dest_dir, available))
        return true;  // nothing to go by; the copy reports a full volume itself
    std::vector<Croom_file> files;
    // Named by the whole path, as update-check names them, so that both count the
    // record alike.
    for (const Cplanned_file& file : plan)
        files.push_back({update_info.dest_dir + L"\\" + file.relative, file.size,
                         file.target.exists, file.target.size});
    const std::uint64_t needed = room_needed(files, volume_cluster_size(update_info.dest_dir));
    if (available >= needed)
        return true;
    return fail_update(msg::not_enough_room(megabytes_rounded_up(needed),
                                            megabytes_rounded_down(available)));
}

}  // namespace

std::wstring plan_fault_text(const Cplan_fault& fault)
{
    switch (fault.kind) {
    case Cplan_fault::Ckind::folder_missing:
        return msg::source_folder_missing(fault.path);
    case Cplan_fault::Ckind::folder_unreadable:
    case Cplan_fault::Ckind::folder_link:
        return msg::folder_unreadable(fault.path);
    case Cplan_fault::Ckind::file_missing:
    case Cplan_fault::Ckind::none:
        break;
    }
    return msg::source_file_missing(fault.path);
}

std::wstring normalized_entry(const std::wstring& entry)
{
    std::wstring result;
    std::wstring part;
    for (std::wstring::size_type i = 0; i <= entry.size(); ++i) {
        const wchar_t c = i < entry.size() ? entry[i] : L'\\';
        if (c != L'\\' && c != L'/') {
            part += c;
            continue;
        }
        if (!part.empty() && part != L".")
            result += (result.empty() ? L"" : L"\\") + part;
        part.clear();
    }
    return result;
}

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

bool fault_of(Cplan_fault& fault, Cplan_fault::Ckind kind, const std::wstring& path)
{
    fault.kind = kind;
    fault.path = path;
    return false;
}

// The entry names nothing the copy can find. The system may still find something
// under its looser rules: a folder gets the folder message.
bool entry_missing(const std::wstring& source_dir, const std::wstring& entry, Cplan_fault& fault)
{
    const std::wstring path = source_dir + L"\\" + entry;
    const DWORD attributes = file_attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fault_of(fault, Cplan_fault::Ckind::folder_missing, entry);
    return fault_of(fault, Cplan_fault::Ckind::file_missing, path);
}

bool plan_folder_entry(Cfolder_cache& sources, const std::wstring& source_dir,
                       const std::wstring& entry, std::vector<Cplanned_file>& plan,
                       Cplan_fault& fault)
{
    Cfile_list list;
    list.cache = &sources;
    list.search(source_dir + L"\\" + entry, L"*", L"*", true);
    if (!list.unlisted_folders.empty()) {
        const Cunlisted_folder& first = list.unlisted_folders.front();
        return fault_of(fault,
                        first.is_link ? Cplan_fault::Ckind::folder_link
                                      : Cplan_fault::Ckind::folder_unreadable,
                        first.path);
    }
    for (const Cfile_entry& file : list.files)
        plan.push_back({entry + L"\\" + file.name, file.size, Ctarget()});
    return true;
}

}  // namespace

// Walks the entry from the top of the update data, one listed folder at a time.
bool plan_entry(Cfolder_cache& sources, const std::wstring& source_dir, const std::wstring& entry,
                std::vector<Cplanned_file>& plan, bool& is_folder, Cplan_fault& fault)
{
    fault = Cplan_fault();
    is_folder = false;
    const std::vector<std::wstring> parts = split_entry(entry);
    std::wstring folder = source_dir;
    std::wstring relative_folder;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (sources.items(folder).status == Clisting_status::failed)
            return fault_of(fault, Cplan_fault::Ckind::folder_unreadable, folder);
        const Clisted_item* item = sources.find(folder, parts[i]);
        if (!item)
            return entry_missing(source_dir, entry, fault);
        if (item->is_folder() && item->is_link())
            return fault_of(fault, Cplan_fault::Ckind::folder_link, folder + L"\\" + item->name);
        const bool last = i + 1 == parts.size();
        if (last && !item->is_folder()) {
            // The file's name as found in the update data; its folders as written.
            plan.push_back({relative_folder + item->name, item->size, Ctarget()});
            return true;
        }
        if (!item->is_folder())
            return entry_missing(source_dir, entry, fault);
        folder += L"\\" + parts[i];
        relative_folder += parts[i] + L"\\";
    }
    is_folder = true;
    return plan_folder_entry(sources, source_dir, entry, plan, fault);
}

bool plan_update(const std::vector<std::wstring>& entries, const Clisting_tick& tick,
                 std::vector<Cplanned_file>& plan)
{
    Cfolder_cache sources(Cname_match::ascii_letters, tick);
    for (const std::wstring& entry : entries) {
        bool is_folder = false;
        Cplan_fault fault;
        if (!plan_entry(sources, update_info.source_dir, entry, plan, is_folder, fault))
            return fail_update(plan_fault_text(fault));
    }
    return true;
}

bool check_before_copy(std::vector<Cplanned_file>& plan, const Clisting_tick& tick)
{
    return find_targets(plan, tick) && check_targets_writable(plan) && check_room(plan);
}

bool opens_to_replace(const std::wstring& path, bool read_only)
{
    // The old file is kept through a hard link and the new one renamed over it, so
    // a file that may be written but not replaced is found here, not half-way.
    const DWORD access = (read_only ? FILE_WRITE_ATTRIBUTES : GENERIC_WRITE) | DELETE;
    const HANDLE file = open_file(path, access, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool is_held(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool is_held_or_refused(DWORD error)
{
    return is_held(error) || error == ERROR_ACCESS_DENIED;
}

Chold_pause replace_hold_pause(Chold_pause pause)
{
    const Chold_pause previous = hold_pause;
    hold_pause = pause ? pause : pause_pumping;
    return previous;
}

void pause_for_brief_hold()
{
    hold_pause(write_check_pause_ms);
}

Cwrite_check check_writable(const std::wstring& path, bool read_only)
{
    // A running game does not let go within the wait; an access denial here is
    // the file's permissions, not a moment's hold.
    if (try_through_brief_holds([&] { return opens_to_replace(path, read_only); }, is_held))
        return Cwrite_check::writable;
    return is_held(GetLastError()) ? Cwrite_check::in_use : Cwrite_check::refused;
}
