#include "check/report.h"

#include "check/messages.h"
#include "config/copy_sources.h"
#include "copy/plan/room.h"

namespace {

std::wstring value_or_none(const Cread_value& value)
{
    return value.line == 0 ? std::wstring(check_msg::not_given) : value.value;
}

std::wstring files_and_bytes(std::size_t files, std::uint64_t bytes)
{
    return grouped_number(files) + check_msg::files_unit + grouped_number(bytes) +
           check_msg::bytes_unit;
}

// Megabytes as the updater's own room message shows them: what is needed rounded
// up, what is free rounded down.
std::wstring bytes_and_megabytes(std::uint64_t bytes, std::uint64_t megabytes)
{
    return grouped_number(bytes) + check_msg::bytes_unit + L" (" + grouped_number(megabytes) +
           check_msg::megabytes_unit + L")";
}

// Each #PATCH_FILE entry with its patch's size and the new file's, then the sums;
// nothing for an update without patches.
void add_patches(const std::vector<Cpatch_report>& patches, std::wstring& text)
{
    if (patches.empty())
        return;
    text += check_msg::patches_label + std::wstring(L"\n");
    std::size_t files = 0;
    std::uint64_t patch_bytes = 0;
    std::uint64_t new_bytes = 0;
    for (const Cpatch_report& patch : patches) {
        const std::wstring& value = patch.entry.value;
        text += L"  " + (value.empty() ? check_msg::quoted(value) : value) + L": " +
                (patch.readable ? check_msg::patch_and_new_file(grouped_number(patch.patch_size),
                                                                grouped_number(patch.new_size))
                                : std::wstring(check_msg::entry_not_listed)) +
                L"\n";
        if (!patch.readable)
            continue;
        files += 1;
        patch_bytes += patch.patch_size;
        new_bytes += patch.new_size;
    }
    text += check_msg::patches_total(grouped_number(files), grouped_number(patch_bytes),
                                     grouped_number(new_bytes)) +
            L"\n";
}

void add_summary(const Cfolder_check& check, std::wstring& text)
{
    text += check_msg::title_label + value_or_none(check.reading.game_title) + L"\n";
    const Cread_value& key = check.reading.reg_path;
    const std::wstring registry_key =
        key.line == 0 ? std::wstring(check_msg::not_given) : check_msg::registry_root + key.value;
    text += check_msg::registry_label + registry_key + L"\n";
    text += check_msg::entries_label + std::wstring(L"\n");
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    for (const Centry_report& entry : check.entries) {
        const std::wstring& value = entry.entry.value;
        // An entry that names no file of its own is shown in quotes (it may be blanks).
        const std::wstring name =
            value.empty() || names_source_folder(value) ? check_msg::quoted(value)
            : entry.is_folder                           ? value + check_msg::folder_mark
                                                        : value;
        text += L"  " + name + L": " +
                (entry.listed ? files_and_bytes(entry.files, entry.bytes)
                              : std::wstring(check_msg::entry_not_listed)) +
                L"\n";
        files += entry.files;
        bytes += entry.bytes;
    }
    text += check_msg::total_label + files_and_bytes(files, bytes) + L"\n";
    add_patches(check.patches, text);
    text += check_msg::digests_label + digest_summary_text(check.digests) + L"\n";
}

const wchar_t* patched_label(Cpatched_state state)
{
    switch (state) {
    case Cpatched_state::to_patch:
        return check_msg::to_patch_label;
    case Cpatched_state::already_new:
        return check_msg::already_new_label;
    case Cpatched_state::other_version:
        return check_msg::other_version_label;
    case Cpatched_state::missing:
        return check_msg::patched_missing_label;
    case Cpatched_state::unreadable:
        break;
    }
    return check_msg::patched_unreadable_label;
}

// What each patched file is in the installation; nothing without patches.
void add_patched_targets(const std::vector<Cpatched_target>& patched, std::wstring& text)
{
    if (patched.empty())
        return;
    std::size_t to_patch = 0;
    std::size_t already_new = 0;
    for (const Cpatched_target& target : patched) {
        text += patched_label(target.state) + target.path + L"\n";
        to_patch += target.state == Cpatched_state::to_patch ? 1 : 0;
        already_new += target.state == Cpatched_state::already_new ? 1 : 0;
    }
    text += check_msg::patched_and_already_new(to_patch, already_new) + L"\n";
}

void add_installation(const Cinstallation_check& installation, std::wstring& text)
{
    text += L"\n" + std::wstring(check_msg::install_label) + installation.install_dir + L"\n";
    std::size_t replaced = 0;
    std::size_t created = 0;
    for (const Cinstall_file& file : installation.files) {
        const wchar_t* const label = file.blocked  ? check_msg::blocked_label
                                     : file.exists ? check_msg::replaced_label
                                                   : check_msg::created_label;
        text += label + file.path + L"\n";
        replaced += !file.blocked && file.exists ? 1 : 0;
        created += !file.blocked && !file.exists ? 1 : 0;
    }
    text += check_msg::replaced_and_created(replaced, created) + L"\n";
    add_patched_targets(installation.patched, text);
    const std::uint64_t room = installation.room;
    text += check_msg::room_label + bytes_and_megabytes(room, megabytes_rounded_up(room)) + L"\n";
    if (!installation.free_known) {
        text += check_msg::room_unknown + std::wstring(L"\n");
        return;
    }
    const std::uint64_t free = installation.free;
    text += check_msg::free_label + bytes_and_megabytes(free, megabytes_rounded_down(free)) + L"\n";
    if (free < room)
        text += check_msg::room_short + std::wstring(L"\n");
}

}  // namespace

std::wstring grouped_number(std::uint64_t number)
{
    std::wstring digits = std::to_wstring(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, L",");
    return digits;
}

std::wstring format_report(const Cfolder_check& check, const Cinstallation_check* installation)
{
    std::wstring text;
    std::size_t errors = 0;
    for (const Cfinding& finding : check.findings) {
        text += format_finding(finding) + L"\n";
        errors += finding.severity == Cseverity::error ? 1 : 0;
    }
    if (!check.findings.empty())
        text += L"\n";
    if (check.ini_found) {
        add_summary(check, text);
        if (installation)
            add_installation(*installation, text);
        text += L"\n";
    }
    text += check_msg::counts(errors, check.findings.size() - errors) + L"\n";
    return text;
}
