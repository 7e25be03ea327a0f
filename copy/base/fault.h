#pragma once
// Why a phase of the run stopped: what went wrong and where. A phase finds a fault
// and returns it; only the run's leader turns it into the warning the player reads
// (fault_text), so that every failure is told one way, over an up-to-date dialog.

#include <cstdint>
#include <string>

struct Cfault {
    enum class Ckind {
        none,
        source_file_missing,       // path: the entry's source path
        source_folder_missing,     // path: the entry (found by the system's rules, as a folder)
        folder_unreadable,         // path: a folder that could not be read to its end
        folder_link,               // path: a folder that is a link, never followed
        source_not_in_digest_list, // path: the source file
        source_open_failed,        // path: the source file
        source_read_failed,        // path: the source file
        source_damaged,            // path: the source file, whose bytes lack its digest
        destination_open_failed,   // path: the installed file or folder
        destination_write_failed,  // path: the installed file, the record, a staged file
        destination_in_use,        // path: the installed file another program holds
        not_enough_room,           // needed_mb, free_mb
        cut_off_run_not_undone,    // path: the record (or staging folder) left
        patch_unreadable,          // path: the patch, whose headers cannot be read
        patched_file_missing,      // path: the installed file a patch needs
        patched_file_other_version,  // path: the installed file, in neither listed version
    };
    Ckind kind = Ckind::none;
    std::wstring path;
    std::uint64_t needed_mb = 0;
    std::uint64_t free_mb = 0;

    bool found() const { return kind != Ckind::none; }
};

// A fault of `kind` at `path`.
Cfault fault_at(Cfault::Ckind kind, const std::wstring& path);

// The warning the updater shows for a fault.
std::wstring fault_text(const Cfault& fault);
