#include "check/update_check.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "check/messages.h"
#include "config/copy_sources.h"
#include "config/text_file.h"
#include "copy/plan/folder_listing.h"
#include "copy/plan/update_plan.h"
#include "copy/plan/file_list.h"
#include "copy/plan/room.h"
#include "util/code_page.h"
#include "util/file.h"
#include "util/path.h"

namespace {

// The longest relative path that, below a usual installation folder, stays within
// the 260 characters of a classic Windows path.
constexpr std::size_t longest_relative_path = 200;

void add(Cfindings& findings, int line, Cseverity severity, const std::wstring& text)
{
    findings.push_back({line, severity, text});
}

bool read_bytes(const std::wstring& path, std::string& bytes)
{
    Cfile file;
    if (!file.open(path, L"rb"))
        return false;
    bytes.assign(static_cast<std::size_t>(file.size), '\0');
    if (!bytes.empty())
        bytes.resize(fread(&bytes[0], 1, bytes.size(), file.stream));
    return true;
}

// Findings about the values of #REG_PATH and #GAME_TITLE, which the updater needs.
void check_key(const Cread_value& key, const wchar_t* missing, const wchar_t* empty,
               Cfindings& findings)
{
    if (key.line == 0)
        add(findings, 0, Cseverity::error, missing);
    else if (key.value.empty())
        add(findings, key.line, Cseverity::error, empty);
}

class Cfolder_checker {
public:
    explicit Cfolder_checker(Cfolder_check& result) : result_(result) {}

    void check_entries(bool source_folder_found, Cfindings& findings)
    {
        for (const Cread_value& entry : result_.reading.entries)
            check_entry(entry, source_folder_found, findings);
    }

    // Files and folders under gamedata that no entry copies: a folder of which
    // nothing is copied is named once, not file by file. A folder the listing could
    // not go into is named where it is met, and the search goes on past it.
    void find_not_copied(Cfindings& findings)
    {
        Cfile_list all;
        all.cache = &sources_;
        all.base_dir = std::wstring(source_folder_name) + L"\\";
        all.name_pattern = L"*";
        all.extension_pattern = L"*";
        all.recursive = true;
        all.want_files = true;
        all.want_folders = true;
        all.search_folder(std::wstring());
        std::map<std::wstring, const Cunlisted_folder*> unlisted;  // by folded full path
        for (const Cunlisted_folder& folder : all.unlisted_folders)
            unlisted.emplace(fold_path_case(folder.path), &folder);
        const auto gamedata_itself = unlisted.find(fold_path_case(source_folder_name));
        if (gamedata_itself != unlisted.end())
            report_unlisted(*gamedata_itself->second, findings);
        // Each item folded once; the listing is depth first, so a folder's items
        // follow it in one run.
        std::vector<std::wstring> keys;
        keys.reserve(all.files.size());
        for (const Cfile_entry& item : all.files)
            keys.push_back(fold_path_case(item.name));
        const auto report_if_unlisted = [&](std::size_t i) {
            const auto found = unlisted.find(fold_path_case(all.base_dir) + keys[i]);
            if (all.files[i].is_folder && found != unlisted.end())
                report_unlisted(*found->second, findings);
            return found != unlisted.end();
        };
        for (std::size_t i = 0; i < all.files.size();) {
            const Cfile_entry& item = all.files[i];
            const std::wstring& key = keys[i];
            const std::wstring source = all.base_dir + item.name;
            if (!item.is_folder) {
                if (!copied_.count(key))
                    add(findings, 0, Cseverity::warning, check_msg::not_copied(source));
                ++i;
                continue;
            }
            // An entry that names an empty folder has a finding of its own.
            if (report_if_unlisted(i) || touched_folders_.count(key) || entry_folders_.count(key)) {
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            std::size_t files = 0;
            for (const std::wstring below = key + L"\\";
                 end < keys.size() && keys[end].compare(0, below.size(), below) == 0; ++end)
                files += all.files[end].is_folder ? 0 : 1;
            // An entry that could not be listed has its error instead.
            if (!failed_entry_folders_.count(key))
                add(findings, 0, Cseverity::warning,
                    files == 0 ? check_msg::empty_folder_not_made(source)
                               : check_msg::folder_not_copied(source, files));
            for (++i; i < end; ++i)
                report_if_unlisted(i);
        }
    }

private:
    // A folder below gamedata that the listing did not go into. Inside a folder
    // entry it stops the update; elsewhere it only hides what lies in it.
    void report_unlisted(const Cunlisted_folder& folder, Cfindings& findings) const
    {
        const std::wstring key = fold_path_case(folder.path);
        if (reported_unlisted_.count(key))
            return;  // its entry's error names it
        if (inside_folder_entry(key))
            add(findings, 0, Cseverity::error,
                folder.is_link ? check_msg::folder_link(folder.path)
                               : check_msg::folder_unreadable(folder.path));
        else
            add(findings, 0, Cseverity::warning,
                folder.is_link ? check_msg::link_not_followed(folder.path)
                               : check_msg::folder_not_searched(folder.path));
    }

    // `key`: a folded full path below gamedata.
    bool inside_folder_entry(const std::wstring& key) const
    {
        const std::size_t top = std::wstring(source_folder_name).size();
        for (std::size_t end = key.rfind(L'\\'); end != std::wstring::npos && end > top;
             end = key.rfind(L'\\', end - 1)) {
            const std::wstring relative = key.substr(top + 1, end - top - 1);
            if (entry_folders_.count(relative) || failed_entry_folders_.count(relative))
                return true;
        }
        return false;
    }

    void check_entry(const Cread_value& entry, bool source_folder_found, Cfindings& findings)
    {
        Centry_report report;
        report.entry = entry;
        if (entry.value.find_first_of(L"*?") != std::wstring::npos)
            add(findings, entry.line, Cseverity::warning,
                check_msg::entry_wildcard(entry.value));
        switch (copy_entry_fault(source_folder_name, entry.value)) {
        case Ccopy_entry_fault::empty:
            add(findings, entry.line, Cseverity::error, check_msg::entry_empty);
            break;
        case Ccopy_entry_fault::unsafe:
            add(findings, entry.line, Cseverity::error,
                names_source_folder(entry.value) ? check_msg::entry_names_source_folder(entry.value)
                                                 : check_msg::entry_unsafe(entry.value));
            break;
        case Ccopy_entry_fault::missing:
            // Without gamedata every entry is missing; that is said once.
            if (source_folder_found)
                add(findings, entry.line, Cseverity::error,
                    check_msg::entry_missing(copy_source_path(source_folder_name, entry.value)));
            break;
        case Ccopy_entry_fault::none:
            list_entry(entry, report, findings);
            break;
        }
        result_.entries.push_back(report);
    }

    // Plans the entry as the update run does and looks at every file it copies.
    void list_entry(const Cread_value& entry, Centry_report& report, Cfindings& findings)
    {
        const std::wstring path = normalized_entry(entry.value);
        std::vector<Cplanned_file> files;
        bool is_folder = false;
        const Cfault fault = plan_entry(sources_, source_folder_name, path, files, is_folder);
        if (fault.found()) {
            // The updater finds nothing to copy here and stops the update.
            add(findings, entry.line, Cseverity::error, plan_fault_finding(fault));
            if (fault.kind == Cfault::Ckind::folder_link ||
                fault.kind == Cfault::Ckind::folder_unreadable)
                reported_unlisted_.insert(fold_path_case(fault.path));
            if (is_folder)
                failed_entry_folders_.insert(fold_path_case(path));
            return;
        }
        report.listed = true;
        report.is_folder = is_folder;
        report.files = files.size();
        for (const Cplanned_file& file : files)
            report.bytes += file.size;
        if (report.is_folder)
            entry_folders_.insert(fold_path_case(path));
        if (report.is_folder && files.empty())
            add(findings, entry.line, Cseverity::warning,
                check_msg::entry_copies_nothing(entry.value));
        std::wstring longest;
        for (const Cplanned_file& file : files) {
            result_.files.push_back({file.relative, file.size});
            note_copied(file.relative);
            if (file.relative.size() > longest.size())
                longest = file.relative;
        }
        if (longest.size() > longest_relative_path)
            add(findings, entry.line, Cseverity::warning,
                check_msg::path_too_long(longest, longest.size()));
    }

    static std::wstring plan_fault_finding(const Cfault& fault)
    {
        switch (fault.kind) {
        case Cfault::Ckind::folder_unreadable:
            return check_msg::folder_unreadable(fault.path);
        case Cfault::Ckind::folder_link:
            return check_msg::folder_link(fault.path);
        default:
            break;
        }
        return check_msg::entry_found_only_by_system_rules(fault.path);
    }

    // Remembers a copied file and its folders. (The copy makes each folder under its
    // exact name, so no folder name can be lost on the player's system.)
    void note_copied(const std::wstring& copied)
    {
        copied_.insert(fold_path_case(copied));
        for (std::size_t end = copied.find(L'\\'); end != std::wstring::npos;
             end = copied.find(L'\\', end + 1))
            touched_folders_.insert(fold_path_case(copied.substr(0, end)));
    }

    Cfolder_check& result_;
    Cfolder_cache sources_;                   // each folder of gamedata listed once
    std::set<std::wstring> copied_;           // folded paths of copied files
    std::set<std::wstring> touched_folders_;  // folded folders that hold a copied file
    std::set<std::wstring> entry_folders_;    // folded folders that entries name
    std::set<std::wstring> failed_entry_folders_;  // folded folder entries not listed
    std::set<std::wstring> reported_unlisted_;     // folded full paths an entry's error names
};

}  // namespace

Cfolder_check check_update_folder()
{
    Cfolder_check result;
    std::vector<std::wstring> lines;
    if (!read_text_lines(update_ini_name, lines)) {
        add(result.findings, 0, Cseverity::error, check_msg::ini_missing);
        return result;
    }
    result.ini_found = true;
    result.reading = read_ini_lines(lines);

    // What concerns the file: whole-file findings first, then line by line.
    Cfindings& findings = result.findings;
    std::string bytes;
    if (read_bytes(update_ini_name, bytes))
        lint_ini_bytes(bytes, lines, update_ini_code_page, findings);
    check_key(result.reading.reg_path, check_msg::reg_path_missing, check_msg::reg_path_empty,
              findings);
    check_key(result.reading.game_title, check_msg::game_title_missing,
              check_msg::game_title_empty, findings);
    lint_ini_lines(lines, findings);
    Cfolder_checker checker(result);
    const bool source_folder_found = is_source_folder(source_folder_name);
    checker.check_entries(source_folder_found, findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Cfinding& a, const Cfinding& b) { return a.line < b.line; });

    // Then what concerns the folder.
    if (!source_folder_found)
        add(findings, 0, Cseverity::error, check_msg::source_folder_missing);
    else
        checker.find_not_copied(findings);

    // Then the digest list, after what concerns update.ini.
    std::vector<std::wstring> copied;
    for (const Ccopied_file& file : result.files)
        copied.push_back(file.path);
    result.digests = check_digest_list(copied, findings);
    return result;
}

namespace {

// Where the copy cannot put the file `relative` below the installation folder `base`
// (ending in '\'): a finding naming the folder in its place, or the file where one
// of its folders must be; empty when nothing stands in the way. `fine_folders`
// holds the folded folders already seen to be folders.
std::wstring destination_blocked(const std::wstring& base, const std::wstring& relative,
                                 std::set<std::wstring>& fine_folders)
{
    for (std::size_t end = relative.find(L'\\'); end != std::wstring::npos;
         end = relative.find(L'\\', end + 1)) {
        const std::wstring folder = base + relative.substr(0, end);
        if (fine_folders.count(fold_path_case(folder)))
            continue;
        const DWORD attributes = file_attributes(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::wstring();  // made by the copy, with all below it
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return check_msg::destination_below_file(base + relative, folder);
        fine_folders.insert(fold_path_case(folder));
    }
    const DWORD attributes = file_attributes(base + relative);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return check_msg::destination_is_folder(base + relative);
    return std::wstring();
}

}  // namespace

Cinstallation_check check_installation(const std::vector<Ccopied_file>& files,
                                       const std::wstring& install_dir)
{
    Cinstallation_check result;
    if (install_dir.empty())
        return result;
    result.install_dir = install_dir;
    std::vector<Croom_file> room_files;
    std::set<std::wstring> seen;
    std::set<std::wstring> fine_folders;
    const std::wstring base = install_dir + (install_dir.back() == L'\\' ? L"" : L"\\");
    for (const Ccopied_file& file : files) {
        Croom_file room;
        room.dest_path = base + file.path;
        room.new_size = file.size;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExW(long_path(room.dest_path).c_str(), GetFileExInfoStandard,
                                 &data)) {
            room.exists = true;
            room.old_size =
                (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        if (seen.insert(fold_path_case(file.path)).second) {
            const std::wstring blocked = destination_blocked(base, file.path, fine_folders);
            result.files.push_back({file.path, room.exists, !blocked.empty()});
            if (!blocked.empty())
                result.findings.push_back({0, Cseverity::error, blocked});
        }
        room_files.push_back(room);
    }
    // The volume's cluster and free bytes, as the updater's own check takes them.
    result.cluster = volume_cluster_size(install_dir);
    result.room = room_needed(room_files, result.cluster);
    result.free_known = volume_free_bytes(install_dir, result.free);
    return result;
}
