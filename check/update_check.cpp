#include "check/update_check.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "check/messages.h"
#include "config/copy_sources.h"
#include "config/digest_list.h"
#include "config/patch_header.h"
#include "config/patch_sources.h"
#include "config/text_file.h"
#include "copy/plan/folder_listing.h"
#include "copy/plan/patch_check.h"
#include "copy/plan/update_plan.h"
#include "copy/plan/file_list.h"
#include "copy/plan/room.h"
#include "delta/vcdiff_decoder.h"
#include "delta/vcdiff_files.h"
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

// The size of the file at `path`; false when it cannot be asked.
bool file_size_of(const std::wstring& path, std::uint64_t& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(long_path(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

// Whether the name ends in ".vcdiff", in either case of its letters.
bool has_patch_suffix(const std::wstring& path)
{
    const std::size_t suffix = std::wstring(patch_suffix).size();
    return path.size() > suffix &&
           lower_ascii_copy(path.substr(path.size() - suffix)) == patch_suffix;
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
                if (!copied_.count(key) && !patch_files_.count(key))
                    add(findings, 0, Cseverity::warning,
                        has_patch_suffix(item.name) ? check_msg::patch_not_used(source)
                                                    : check_msg::not_copied(source));
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

    // Each #PATCH_FILE entry through the updater's own checks, every fault on its
    // line; then its patch's headers, as the run reads them for the new file's size.
    void check_patches(bool source_folder_found, Cfindings& findings)
    {
        std::vector<std::wstring> patches;
        for (const Cread_value& entry : result_.reading.patches)
            patches.push_back(entry.value);
        std::vector<std::wstring> copies;
        for (const Cread_value& entry : result_.reading.entries)
            copies.push_back(entry.value);
        for (std::size_t i = 0; i < patches.size(); ++i)
            result_.patches.push_back(
                check_patch(i, patches, copies, source_folder_found, findings));
    }

    // before.sha256 and after.sha256, which the updater reads when there are
    // patches: each must be there, every line of the form, every patched path named.
    // Findings about an entry go to `entry_findings` (update.ini's lines); those
    // about a list to `list_findings`.
    void check_patch_lists(Cfindings& entry_findings, Cfindings& list_findings)
    {
        if (result_.patches.empty())
            return;
        check_patch_list(before_list_name, &Cpatch_report::before, entry_findings, list_findings);
        check_patch_list(after_list_name, &Cpatch_report::after, entry_findings, list_findings);
    }

    // The patches that gamedata holds for the entries the updater accepts, relative
    // to gamedata: their own digests are checked as copied files' are.
    const std::vector<std::wstring>& patch_sources() const { return patch_sources_; }

private:
    Cpatch_report check_patch(std::size_t index, const std::vector<std::wstring>& patches,
                              const std::vector<std::wstring>& copies, bool source_folder_found,
                              Cfindings& findings)
    {
        const Cread_value& entry = result_.reading.patches[index];
        Cpatch_report report;
        report.entry = entry;
        report.relative = normalized_entry(entry.value);
        const std::wstring patch = patch_source_path(source_folder_name, entry.value);
        const Cpatch_entry_fault fault =
            patch_entry_fault(source_folder_name, patches, index, copies);
        if (fault != Cpatch_entry_fault::empty && fault != Cpatch_entry_fault::unsafe)
            note_patch(report.relative + patch_suffix);
        switch (fault) {
        case Cpatch_entry_fault::empty:
            add(findings, entry.line, Cseverity::error, check_msg::patch_entry_empty);
            return report;
        case Cpatch_entry_fault::unsafe:
            add(findings, entry.line, Cseverity::error, check_msg::patch_entry_unsafe(entry.value));
            return report;
        case Cpatch_entry_fault::twice:
            add(findings, entry.line, Cseverity::error,
                check_msg::patch_entry_twice(entry.value, first_patch_line(index)));
            return report;
        case Cpatch_entry_fault::also_copied: {
            const Cread_value& copy = copy_covering(entry.value);
            add(findings, entry.line, Cseverity::error,
                check_msg::patch_entry_also_copied(entry.value, copy.value, copy.line));
            return report;
        }
        case Cpatch_entry_fault::missing:
            // Without gamedata every patch is missing; that is said once.
            if (source_folder_found)
                add(findings, entry.line, Cseverity::error, check_msg::patch_missing(patch));
            return report;
        case Cpatch_entry_fault::none:
            break;
        }
        patch_sources_.push_back(report.relative + patch_suffix);
        report.readable = read_patch(patch, entry.line, report, findings);
        return report;
    }

    // The patch's file header as the updater's check reads it, then its windows'
    // headers as the run's plan reads them: the new file's size.
    static bool read_patch(const std::wstring& patch, int line, Cpatch_report& report,
                           Cfindings& findings)
    {
        switch (read_patch_header(patch)) {
        case Cpatch_header::readable:
            break;
        case Cpatch_header::compressed:
            add(findings, line, Cseverity::error, check_msg::patch_compressed(patch));
            return false;
        case Cpatch_header::code_table:
            add(findings, line, Cseverity::error, check_msg::patch_code_table(patch));
            return false;
        case Cpatch_header::unreadable:
            add(findings, line, Cseverity::error, check_msg::patch_unreadable(patch));
            return false;
        }
        vcdiff::Cfile_input file;
        vcdiff::Cpatch_summary summary;
        if (!file.open(patch, FILE_SHARE_READ) ||
            !vcdiff::read_patch_summary(file, summary).ok() ||
            !file_size_of(patch, report.patch_size)) {
            add(findings, line, Cseverity::error, check_msg::patch_unreadable(patch));
            return false;
        }
        report.new_size = summary.target_size;
        return true;
    }

    // The line of the first #PATCH_FILE entry that names the same path as the one at
    // `index`.
    int first_patch_line(std::size_t index) const
    {
        const std::vector<Cread_value>& patches = result_.reading.patches;
        const std::wstring key = digest_path_key(patches[index].value);
        for (std::size_t i = 0; i < index; ++i) {
            if (digest_path_key(patches[i].value) == key)
                return patches[i].line;
        }
        return patches[index].line;
    }

    // The first #COPY_FILE entry that copies the patched path, its patch or a folder
    // holding them.
    const Cread_value& copy_covering(const std::wstring& patch_entry) const
    {
        for (const Cread_value& copy : result_.reading.entries) {
            if (copy_entry_covers_patch(copy.value, patch_entry))
                return copy;
        }
        return result_.reading.entries.front();  // never reached: the fault names one
    }

    void check_patch_list(const wchar_t* name, std::vector<Csha256_digest> Cpatch_report::*digests,
                          Cfindings& entry_findings, Cfindings& list_findings)
    {
        const Cdigest_list list = read_digest_list(name);
        switch (list.status) {
        case Cdigest_list_status::absent:
            add(list_findings, 0, Cseverity::error, check_msg::patch_list_missing(name));
            return;
        case Cdigest_list_status::unreadable:
            list_findings.push_back(
                {0, Cseverity::error, check_msg::patch_list_unreadable(name), name});
            return;
        case Cdigest_list_status::read:
            break;
        }
        for (int line : list.bad_lines)
            list_findings.push_back({line, Cseverity::error, check_msg::patch_list_line_malformed,
                                     name});
        std::set<std::wstring> seen;
        for (Cpatch_report& patch : result_.patches) {
            const std::wstring& entry = patch.entry.value;
            // An empty or unsafe entry has its error; a repeated one is named once.
            if (entry.empty() || is_unsafe_copy_entry(entry) ||
                !seen.insert(digest_path_key(entry)).second)
                continue;
            patch.*digests = listed_for(list.digests, entry);
            if ((patch.*digests).empty())
                add(entry_findings, patch.entry.line, Cseverity::error,
                    check_msg::patched_not_listed(entry, name));
        }
    }

    // Remembers a patch of gamedata that an entry uses, and its folders, so that
    // neither is named as left out.
    void note_patch(const std::wstring& relative)
    {
        patch_files_.insert(fold_path_case(relative));
        note_folders(relative);
    }

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
        note_folders(copied);
    }

    void note_folders(const std::wstring& relative)
    {
        for (std::size_t end = relative.find(L'\\'); end != std::wstring::npos;
             end = relative.find(L'\\', end + 1))
            touched_folders_.insert(fold_path_case(relative.substr(0, end)));
    }

    Cfolder_check& result_;
    Cfolder_cache sources_;                   // each folder of gamedata listed once
    std::set<std::wstring> copied_;           // folded paths of copied files
    std::set<std::wstring> patch_files_;      // folded paths of patches entries use
    std::vector<std::wstring> patch_sources_;  // see patch_sources()
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
    checker.check_patches(source_folder_found, findings);
    Cfindings list_findings;
    checker.check_patch_lists(findings, list_findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Cfinding& a, const Cfinding& b) { return a.line < b.line; });

    // Then what concerns the folder, and the lists of the patched files.
    if (!source_folder_found)
        add(findings, 0, Cseverity::error, check_msg::source_folder_missing);
    else
        checker.find_not_copied(findings);
    findings.insert(findings.end(), list_findings.begin(), list_findings.end());

    // Then the digest list, after what concerns update.ini.
    std::vector<std::wstring> copied;
    for (const Ccopied_file& file : result.files)
        copied.push_back(file.path);
    result.digests = check_digest_list(copied, checker.patch_sources(), findings);
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

// The phases' progress, which the check shows nothing of.
class Csilent_progress : public Crun_progress {
public:
    void file_started(const std::wstring&) override {}
    void file_opened() override {}
    void block_written(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) override {}
    void flushed() override {}
    void waiting() override {}
};

// What the installed file that `patch` turns into its new version is, decided by
// the updater's own check before the copy on a plan of that file alone; `room`
// (its dest_path that file) gets its size there. `dest_dir` has no final '\'.
Cpatched_state patched_state(const std::wstring& dest_dir, const Cpatch_report& patch,
                             Croom_file& room)
{
    Cplanned_file file(patch.relative, patch.new_size, Ctarget());
    file.patched = true;
    file.before = patch.before;
    file.after = patch.after;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(long_path(room.dest_path).c_str(), GetFileExInfoStandard, &data)) {
        file.target.exists = true;
        file.target.attributes = data.dwFileAttributes;
        file.target.size =
            (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        room.exists = !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        room.old_size = file.target.size;
    }
    std::vector<Cplanned_file> plan(1, file);
    Csilent_progress progress;
    const Cfault fault = check_patched_targets(plan, dest_dir, progress);
    switch (fault.kind) {
    case Cfault::Ckind::none:
        return plan.empty() ? Cpatched_state::already_new : Cpatched_state::to_patch;
    case Cfault::Ckind::patched_file_missing:
        return Cpatched_state::missing;
    case Cfault::Ckind::patched_file_other_version:
        return Cpatched_state::other_version;
    default:
        break;
    }
    return Cpatched_state::unreadable;
}

std::wstring patched_finding(Cpatched_state state, const std::wstring& dest_path)
{
    switch (state) {
    case Cpatched_state::other_version:
        return check_msg::patched_file_other_version(dest_path);
    case Cpatched_state::missing:
        return check_msg::patched_file_missing(dest_path);
    case Cpatched_state::unreadable:
        return check_msg::patched_file_unreadable(dest_path);
    default:
        break;
    }
    return std::wstring();
}

}  // namespace

Cinstallation_check check_installation(const std::vector<Ccopied_file>& files,
                                       const std::vector<Cpatch_report>& patches,
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
    // Each patched file hashed as the updater hashes it; one already new is left
    // alone and needs no room, as in the run.
    for (const Cpatch_report& patch : patches) {
        if (!patch.readable)
            continue;
        Croom_file room;
        room.dest_path = base + patch.relative;
        room.new_size = patch.new_size;
        const Cpatched_state state = patched_state(base.substr(0, base.size() - 1), patch, room);
        result.patched.push_back({patch.relative, state});
        const std::wstring finding = patched_finding(state, room.dest_path);
        if (!finding.empty())
            result.findings.push_back({0, Cseverity::error, finding});
        if (state != Cpatched_state::already_new)
            room_files.push_back(room);
    }
    // The volume's cluster and free bytes, as the updater's own check takes them.
    result.cluster = volume_cluster_size(install_dir);
    result.room = room_needed(room_files, result.cluster);
    result.free_known = volume_free_bytes(install_dir, result.free);
    return result;
}
