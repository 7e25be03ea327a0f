#include "publish/make_update.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "check/command_line.h"
#include "check/report.h"
#include "config/copy_sources.h"
#include "config/patch_sources.h"
#include "copy/plan/folder_listing.h"
#include "publish/messages.h"
#include "publish/output_folder.h"
#include "publish/patch_file.h"
#include "publish/release_lists.h"
#include "publish/update_files.h"
#include "util/code_page.h"
#include "util/path.h"
#include "util/sha256.h"

namespace {

const wchar_t* const sha256_list_name = L"gamedata.sha256";
constexpr int exit_error = 2;

// A folder as typed, and a path below it.
std::wstring below(const std::wstring& folder, const std::wstring& relative)
{
    if (relative.empty())
        return folder;
    if (folder.empty() || folder.back() == L'\\')
        return folder + relative;
    return folder + L"\\" + relative;
}

std::wstring as_folder(const std::wstring& path)
{
    return path + L"\\";
}

bool is_file(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// True when `inner` (a full path) is `outer` itself or lies below it.
bool is_inside(const std::wstring& inner, const std::wstring& outer)
{
    const std::wstring a = fold_path_case(inner);
    const std::wstring b = fold_path_case(outer);
    return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 &&
                      (a[b.size()] == L'\\' || b.back() == L'\\'));
}

// The current directory for the life of the object; the previous one comes back.
class Cin_folder {
public:
    explicit Cin_folder(const std::wstring& folder)
    {
        const DWORD needed = GetCurrentDirectoryW(0, nullptr);
        previous_.assign(needed, L'\0');
        previous_.resize(GetCurrentDirectoryW(needed, &previous_[0]));
        entered_ = SetCurrentDirectoryW(folder.c_str()) != FALSE;
    }
    ~Cin_folder()
    {
        if (entered_)
            SetCurrentDirectoryW(previous_.c_str());
    }
    Cin_folder(const Cin_folder&) = delete;
    Cin_folder& operator=(const Cin_folder&) = delete;

    bool entered() const { return entered_; }

private:
    std::wstring previous_;
    bool entered_ = false;
};

class Cmaker {
public:
    Cmaker(const Cmake_update_options& options, Cmake_update_run& run)
        : options_(options), run_(run), old_dir_(full_folder_path(options.old_dir)),
          new_dir_(full_folder_path(options.new_dir)), out_dir_(full_folder_path(options.out_dir))
    {
    }

    void make()
    {
        check_folders();
        if (is_folder(old_dir_) && is_folder(new_dir_))
            compare();
        if (any_error())
            return;
        list_releases();
        if (any_error())
            return;
        Coutput_folder out;
        if (!write(out))
            return;  // `out` removes what was written
        check_written();
        if (!any_error()) {
            out.keep();
            run_.kept = true;
        }
    }

private:
    void add(const std::wstring& path, Cseverity severity, const std::wstring& text)
    {
        run_.findings.push_back({path, severity, text});
    }

    bool any_error() const { return make_update_exit_code(run_) == exit_error; }

    void check_folders()
    {
        const Cseverity E = Cseverity::error;
        if (!is_folder(old_dir_))
            add(options_.old_dir, E, make_msg::folder_missing);
        if (!is_folder(new_dir_))
            add(options_.new_dir, E, make_msg::folder_missing);
        switch (folder_state(out_dir_)) {
        case Cfolder_state::file:
            add(options_.out_dir, E, make_msg::out_is_file);
            break;
        case Cfolder_state::not_empty:
            add(options_.out_dir, E, make_msg::out_not_empty);
            break;
        case Cfolder_state::missing:
        case Cfolder_state::empty:
            break;
        }
        if (is_inside(out_dir_, old_dir_) || is_inside(out_dir_, new_dir_))
            add(options_.out_dir, E, make_msg::out_inside_release);
        if (!is_file(full_folder_path(options_.updater)))
            add(options_.updater, E, make_msg::updater_missing);
    }

    void compare()
    {
        run_.compared = true;
        run_.diff = compare_releases(old_dir_, new_dir_);
        for (const Cdiff_note& note : run_.diff.notes)
            add_note(note);
        std::string bytes;
        for (const Cupdate_entry& entry : entries()) {
            if (!wide_to_code_page(update_ini_code_page, entry.name, bytes))
                add(shown_new(entry.name, entry.is_folder), Cseverity::error,
                    make_msg::top_level_not_in_code_page(entry.name));
        }
        for (const Ccopied_release_file& file : run_.diff.copied) {
            run_.gamedata_bytes += file.size;
            shipped_keys_.insert(digest_path_key(file.path));
        }
        if (run_.diff.copied.empty())
            add(options_.new_dir, Cseverity::error, make_msg::nothing_to_update);
    }

    // Every file of both releases with its digest, for before.sha256 and after.sha256.
    void list_releases()
    {
        std::wstring unreadable;
        if (!release_digests(old_dir_, old_digests_, unreadable))
            add_unreadable(below(options_.old_dir, unreadable));
        else if (!release_digests(new_dir_, new_digests_, unreadable))
            add_unreadable(below(options_.new_dir, unreadable));
    }

    void add_unreadable(const std::wstring& shown)
    {
        const bool is_folder = !shown.empty() && shown.back() == L'\\';
        add(shown, Cseverity::error,
            is_folder ? make_msg::folder_unreadable : make_msg::file_unreadable);
    }

    void add_note(const Cdiff_note& note)
    {
        const Cseverity W = Cseverity::warning;
        const Cseverity E = Cseverity::error;
        const std::wstring new_path = shown_new(note.new_path, note.is_folder);
        const std::wstring old_path = shown_old(note.old_path, note.is_folder);
        const wchar_t* const unreadable =
            note.is_folder ? make_msg::folder_unreadable : make_msg::file_unreadable;
        switch (note.kind) {
        case Cdiff_note::Ckind::removed:
            add(old_path, W, note.is_folder ? make_msg::removed_folder(note.files)
                                            : std::wstring(make_msg::removed_file));
            break;
        case Cdiff_note::Ckind::empty_folder:
            add(new_path, W, make_msg::empty_folder);
            break;
        case Cdiff_note::Ckind::case_renamed:
            add(new_path, W, make_msg::case_renamed(note.old_path));
            break;
        case Cdiff_note::Ckind::file_became_folder:
            add(new_path, E, make_msg::file_became_folder);
            break;
        case Cdiff_note::Ckind::folder_became_file:
            add(new_path, E, make_msg::folder_became_file);
            break;
        case Cdiff_note::Ckind::old_unreadable:
            add(old_path, E, unreadable);
            break;
        case Cdiff_note::Ckind::new_unreadable:
            add(new_path, E, unreadable);
            break;
        }
    }

    std::wstring shown_new(const std::wstring& relative, bool is_folder) const
    {
        const std::wstring path = below(options_.new_dir, relative);
        return is_folder ? as_folder(path) : path;
    }
    std::wstring shown_old(const std::wstring& relative, bool is_folder) const
    {
        const std::wstring path = below(options_.old_dir, relative);
        return is_folder ? as_folder(path) : path;
    }
    std::wstring shown_out(const std::wstring& relative) const
    {
        return below(options_.out_dir, relative);
    }

    std::vector<Cupdate_entry> entries() const
    {
        std::vector<std::wstring> paths;
        for (const Ccopied_release_file& file : run_.diff.copied)
            paths.push_back(file.path);
        return top_level_entries(paths);
    }

    // What went into gamedata, for update.ini and gamedata.sha256.
    struct Cshipped_files {
        std::vector<std::wstring> whole;
        std::vector<std::wstring> patched;
        std::vector<Cfile_digest> digests;  // of what gamedata holds, patches by their names
    };

    // The update folder: gamedata, update.ini, the digest lists, the updater.
    bool write(Coutput_folder& out)
    {
        const std::wstring gamedata = below(out_dir_, source_folder_name);
        if (!out.make_folder(out_dir_) || !out.make_folder(gamedata))
            return write_failed(L"");
        Cshipped_files shipped;
        for (const Ccopied_release_file& file : run_.diff.copied) {
            if (!ship_file(file, gamedata, out, shipped))
                return false;
        }
        return write_update_ini(out, shipped) && write_lists(out, shipped.digests) &&
               copy_updater(out);
    }

    // The file into gamedata, as a patch or whole, and its digest.
    bool ship_file(const Ccopied_release_file& file, const std::wstring& gamedata,
                   Coutput_folder& out, Cshipped_files& shipped)
    {
        if (!out.make_folder(path_folder(below(gamedata, file.path))))
            return write_failed(below(source_folder_name, file.path));
        const Cshipped how = ship_patch(file, gamedata, out);
        if (how == Cshipped::failed)
            return false;
        const bool patched = how == Cshipped::patch;
        if (!patched && !out.copy_file(below(new_dir_, file.path), below(gamedata, file.path)))
            return write_failed(below(source_folder_name, file.path));
        (patched ? shipped.patched : shipped.whole).push_back(file.path);
        return add_digest(gamedata, patched ? file.path + patch_suffix : file.path,
                          shipped.digests);
    }

    bool write_update_ini(Coutput_folder& out, const Cshipped_files& shipped)
    {
        std::string bytes;
        if (!ini_text_bytes(copy_entries(shipped.whole, shipped.patched), shipped.patched, bytes))
            return false;
        return out.write_file(below(out_dir_, update_ini_name), bytes) ||
               write_failed(update_ini_name);
    }

    bool write_lists(Coutput_folder& out, const std::vector<Cfile_digest>& gamedata_digests)
    {
        const struct {
            const wchar_t* name;
            const std::vector<Cfile_digest>& digests;
        } lists[] = {{sha256_list_name, gamedata_digests},
                     {before_list_name, old_digests_},
                     {after_list_name, new_digests_}};
        for (const auto& list : lists) {
            if (!out.write_file(below(out_dir_, list.name), sha256_list_bytes(list.digests)))
                return write_failed(list.name);
        }
        return true;
    }

    bool copy_updater(Coutput_folder& out)
    {
        const std::wstring updater_name = path_file_name(full_folder_path(options_.updater));
        return out.copy_file(full_folder_path(options_.updater), below(out_dir_, updater_name)) ||
               write_failed(updater_name);
    }

    enum class Cshipped { patch, whole, failed };

    // The changed file as a patch, when it is worth one and the patch pays.
    Cshipped ship_patch(const Ccopied_release_file& file, const std::wstring& gamedata,
                        Coutput_folder& out)
    {
        if (!patchable(file))
            return Cshipped::whole;
        const std::wstring patch_relative = file.path + patch_suffix;
        std::uint64_t patch_size = 0;
        switch (write_patch(below(old_dir_, file.old_path), below(new_dir_, file.path), file.size,
                            below(gamedata, patch_relative), out, patch_size)) {
        case Cpatch_result::written:
            run_.patches.push_back({file.path, file.size, patch_size});
            run_.gamedata_bytes -= file.size - patch_size;
            return Cshipped::patch;
        case Cpatch_result::does_not_pay:
            return Cshipped::whole;
        case Cpatch_result::old_unreadable:
            add(shown_old(file.old_path, false), Cseverity::error, make_msg::file_unreadable);
            return Cshipped::failed;
        case Cpatch_result::new_unreadable:
            add(shown_new(file.path, false), Cseverity::error, make_msg::file_unreadable);
            return Cshipped::failed;
        case Cpatch_result::patch_unwritable:
            break;
        }
        write_failed(below(source_folder_name, patch_relative));
        return Cshipped::failed;
    }

    // A patch needs the old file under the same name as the updater matches it in
    // the digest lists, its path in update.ini's code page, and no file of the new
    // release where the patch would lie.
    bool patchable(const Ccopied_release_file& file) const
    {
        std::string bytes;
        return !options_.whole_files && !file.is_new && worth_a_patch(file.size) &&
               digest_path_key(file.old_path) == digest_path_key(file.path) &&
               wide_to_code_page(update_ini_code_page, file.path, bytes) &&
               shipped_keys_.count(digest_path_key(file.path + patch_suffix)) == 0;
    }

    bool add_digest(const std::wstring& gamedata, const std::wstring& relative,
                    std::vector<Cfile_digest>& digests)
    {
        Cfile_digest digest;
        digest.path = relative;
        // The digest of what was written itself: what ships is what is listed.
        if (!sha256_of_file(below(gamedata, relative), digest.digest)) {
            add(shown_out(below(source_folder_name, relative)), Cseverity::error,
                make_msg::file_unreadable);
            return false;
        }
        digests.push_back(digest);
        return true;
    }

    // update.ini's bytes; false, with an error, when an entry below a folder that
    // holds a patch has no place in its code page (a top-level name was checked
    // before anything was written).
    bool ini_text_bytes(const std::vector<Cupdate_entry>& entries,
                        const std::vector<std::wstring>& patches, std::string& bytes)
    {
        for (const Cupdate_entry& entry : entries) {
            if (!wide_to_code_page(update_ini_code_page, entry.name, bytes)) {
                add(shown_new(entry.name, entry.is_folder), Cseverity::error,
                    make_msg::entry_not_in_code_page(entry.name));
                return false;
            }
        }
        Cupdate_ini ini;
        const Crelease_diff& diff = run_.diff;
        ini.comment = make_msg::ini_comment(options_.version, diff.changed, diff.added,
                                            diff.unchanged, diff.removed);
        ini.reg_path = options_.reg_path;
        ini.game_title = options_.game_title;
        ini.entries = entries;
        ini.patches = patches;
        return update_ini_bytes(update_ini_text(ini), bytes) || write_failed(update_ini_name);
    }

    bool write_failed(const std::wstring& relative)
    {
        add(relative.empty() ? options_.out_dir : shown_out(relative), Cseverity::error,
            make_msg::write_failed);
        return false;
    }

    // update-check's own check, in the folder as the updater works in its own.
    void check_written()
    {
        const Cin_folder in_out(out_dir_);
        if (!in_out.entered()) {
            add(options_.out_dir, Cseverity::error, make_msg::check_failed);
            return;
        }
        run_.check = check_update_folder();
        run_.checked = true;
    }

    const Cmake_update_options& options_;
    Cmake_update_run& run_;
    const std::wstring old_dir_;
    const std::wstring new_dir_;
    const std::wstring out_dir_;
    std::vector<Cfile_digest> old_digests_;
    std::vector<Cfile_digest> new_digests_;
    std::set<std::wstring> shipped_keys_;  // the new release's copied files, as the updater matches them
};

std::wstring severity_text(Cseverity severity)
{
    return severity == Cseverity::error ? L": error: " : L": warning: ";
}

std::wstring files(std::size_t count)
{
    return grouped_number(count) + make_msg::files_unit;
}

// Each patch beside the file it stands for, so that a patch that saves little is seen.
void add_patched_files(const Cmake_update_run& run, const Cmake_update_options& options,
                       std::wstring& text)
{
    for (const Cpatched_file& patch : run.patches) {
        text += below(options.new_dir, patch.path) +
                make_msg::patched_file(grouped_number(patch.patch_size),
                                       grouped_number(patch.new_size)) +
                L"\n";
    }
}

// What the patches ship against what the whole files would.
void add_patches_total(const std::vector<Cpatched_file>& patches, std::wstring& text)
{
    std::uint64_t patch_bytes = 0;
    std::uint64_t new_bytes = 0;
    for (const Cpatched_file& patch : patches) {
        patch_bytes += patch.patch_size;
        new_bytes += patch.new_size;
    }
    text += make_msg::patch_label + grouped_number(patches.size()) + make_msg::files_unit +
            make_msg::patches_total(grouped_number(patch_bytes), grouped_number(new_bytes)) +
            L"\n";
}

void add_summary(const Cmake_update_run& run, const Cmake_update_options& options,
                 std::wstring& text)
{
    const Crelease_diff& diff = run.diff;
    text += make_msg::changed_label + files(diff.changed) + L"\n";
    text += make_msg::added_label + files(diff.added) + L"\n";
    text += make_msg::unchanged_label + files(diff.unchanged) + L"\n";
    text += make_msg::removed_label + files(diff.removed) + L"\n";
    text += make_msg::gamedata_label + grouped_number(diff.copied.size()) +
            check_msg::files_unit + grouped_number(run.gamedata_bytes) + check_msg::bytes_unit +
            L"\n";
    if (!run.patches.empty())
        add_patches_total(run.patches, text);
    if (run.checked) {
        const std::size_t errors = static_cast<std::size_t>(
            std::count_if(run.check.findings.begin(), run.check.findings.end(),
                          [](const Cfinding& f) { return f.severity == Cseverity::error; }));
        text += make_msg::check_label(options.out_dir) +
                check_msg::counts(errors, run.check.findings.size() - errors) + L"\n";
    }
}

}  // namespace

Cmake_update_run make_update(const Cmake_update_options& options)
{
    Cmake_update_run run;
    Cmaker(options, run).make();
    return run;
}

std::wstring format_make_update_report(const Cmake_update_run& run,
                                       const Cmake_update_options& options)
{
    std::wstring text;
    std::size_t errors = 0;
    std::size_t warnings = 0;
    for (const Cpath_finding& finding : run.findings) {
        text += finding.path + severity_text(finding.severity) + finding.text + L"\n";
        (finding.severity == Cseverity::error ? errors : warnings) += 1;
    }
    for (const Cfinding& finding : run.check.findings) {
        text += below(options.out_dir, format_finding(finding)) + L"\n";
        (finding.severity == Cseverity::error ? errors : warnings) += 1;
    }
    if (errors + warnings > 0)
        text += L"\n";
    if (!run.patches.empty()) {
        add_patched_files(run, options, text);
        text += L"\n";
    }
    if (run.compared) {
        add_summary(run, options, text);
        text += L"\n";
    }
    if (errors > 0 && !run.kept)
        text += make_msg::out_removed + std::wstring(L"\n");
    text += check_msg::counts(errors, warnings) + L"\n";
    return text;
}

int make_update_exit_code(const Cmake_update_run& run)
{
    Cfindings all = run.check.findings;
    for (const Cpath_finding& finding : run.findings)
        all.push_back({0, finding.severity, finding.text});
    return check_exit_code(all);
}
