#include "check/update_check.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "check/messages.h"
#include "config/copy_sources.h"
#include "config/text_file.h"
#include "copy/folder_listing.h"
#include "copy/update_plan.h"
#include "copy/file_list.h"
#include "copy/room.h"
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

bool fits_code_page(const std::wstring& name)
{
    const std::string ansi = wide_to_ansi(name);
    return ansi_to_wide(ansi.data(), static_cast<int>(ansi.size())) == name;
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
    // nothing is copied is named once, not file by file.
    void find_not_copied(Cfindings& findings) const
    {
        Cfile_list all;
        all.base_dir = std::wstring(source_folder_name) + L"\\";
        all.name_pattern = L"*";
        all.extension_pattern = L"*";
        all.recursive = true;
        all.want_files = true;
        all.want_folders = true;
        all.search_folder(std::wstring());
        std::vector<std::wstring> reported;  // folded, each ending in '\'
        for (const Cfile_entry& item : all.files) {
            const std::wstring key = fold_path_case(item.name);
            const bool inside_reported =
                std::any_of(reported.begin(), reported.end(), [&](const std::wstring& folder) {
                    return key.compare(0, folder.size(), folder) == 0;
                });
            if (inside_reported)
                continue;
            const std::wstring source = all.base_dir + item.name;
            if (!item.is_folder) {
                if (!copied_.count(key))
                    add(findings, 0, Cseverity::warning, check_msg::not_copied(source));
                continue;
            }
            // An entry that names an empty folder has a finding of its own.
            if (touched_folders_.count(key) || entry_folders_.count(key))
                continue;
            const std::size_t files = files_below(all, key + L"\\");
            add(findings, 0, Cseverity::warning,
                files == 0 ? check_msg::empty_folder_not_made(source)
                           : check_msg::folder_not_copied(source, files));
            reported.push_back(key + L"\\");
        }
    }

private:
    static std::size_t files_below(const Cfile_list& all, const std::wstring& folder)
    {
        return static_cast<std::size_t>(
            std::count_if(all.files.begin(), all.files.end(), [&](const Cfile_entry& item) {
                return !item.is_folder && fold_path_case(item.name).compare(0, folder.size(), folder) == 0;
            }));
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
            add(findings, entry.line, Cseverity::error, check_msg::entry_unsafe(entry.value));
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
        Cplan_fault fault;
        report.listed = true;
        if (!plan_entry(sources_, source_folder_name, path, files, is_folder, fault)) {
            // The updater finds nothing to copy here and stops the update.
            add(findings, entry.line, Cseverity::error, plan_fault_finding(fault));
            return;
        }
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
            note_copied(file.relative, entry.line, findings);
            if (file.relative.size() > longest.size())
                longest = file.relative;
        }
        if (longest.size() > longest_relative_path)
            add(findings, entry.line, Cseverity::warning,
                check_msg::path_too_long(longest, longest.size()));
    }

    static std::wstring plan_fault_finding(const Cplan_fault& fault)
    {
        switch (fault.kind) {
        case Cplan_fault::Ckind::folder_unreadable:
            return check_msg::folder_unreadable(fault.path);
        case Cplan_fault::Ckind::folder_missing:
            return check_msg::entry_found_only_by_system_rules(fault.path);
        case Cplan_fault::Ckind::file_missing:
        case Cplan_fault::Ckind::none:
            break;
        }
        return check_msg::entry_found_only_by_system_rules(fault.path);
    }

    // Remembers a copied file and its folders; the folders the copy must make have
    // to survive the way through the ANSI code page.
    void note_copied(const std::wstring& copied, int line, Cfindings& findings)
    {
        copied_.insert(fold_path_case(copied));
        std::wstring folder;
        for (std::size_t end = copied.find(L'\\'); end != std::wstring::npos;
             end = copied.find(L'\\', end + 1)) {
            const std::size_t start = folder.empty() ? 0 : folder.size() + 1;
            const std::wstring name = copied.substr(start, end - start);
            folder = copied.substr(0, end);
            if (!touched_folders_.insert(fold_path_case(folder)).second)
                continue;
            if (!fits_code_page(name))
                add(findings, line, Cseverity::warning,
                    check_msg::folder_name_not_in_code_page(folder, GetACP()));
        }
    }

    Cfolder_check& result_;
    Cfolder_cache sources_;                   // each folder of gamedata listed once
    std::set<std::wstring> copied_;           // folded paths of copied files
    std::set<std::wstring> touched_folders_;  // folded folders that hold a copied file
    std::set<std::wstring> entry_folders_;    // folded folders that entries name
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
        lint_ini_bytes(bytes, lines, GetACP(), findings);
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

Cinstallation_check check_installation(const std::vector<Ccopied_file>& files,
                                       const std::wstring& install_dir)
{
    Cinstallation_check result;
    if (install_dir.empty())
        return result;
    result.install_dir = install_dir;
    std::vector<Croom_file> room_files;
    std::set<std::wstring> seen;
    for (const Ccopied_file& file : files) {
        Croom_file room;
        room.dest_path = install_dir + (install_dir.back() == L'\\' ? L"" : L"\\") + file.path;
        room.new_size = file.size;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExW(room.dest_path.c_str(), GetFileExInfoStandard, &data)) {
            room.exists = true;
            room.old_size =
                (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        if (seen.insert(fold_path_case(file.path)).second)
            result.files.push_back({file.path, room.exists});
        room_files.push_back(room);
    }
    // The volume's cluster and free bytes, as the updater's own check takes them.
    result.cluster = volume_cluster_size(install_dir);
    result.room = room_needed(room_files, result.cluster);
    result.free_known = volume_free_bytes(install_dir, result.free);
    return result;
}
