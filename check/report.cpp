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
    text += check_msg::digests_label + digest_summary_text(check.digests) + L"\n";
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
