#pragma once
// What one update run will write, worked out before the first byte changes: every
// #COPY_FILE entry accounted for in the update data, then the installation checked
// for each file's target (in use, refused) and for room.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "copy/copier.h"
#include "copy/folder_listing.h"

// One file the run will copy.
struct Cplanned_file {
    std::wstring relative;  // below source_dir and dest_dir, '\' between levels
    std::uint64_t size = 0;  // as listed
    Ctarget target;          // what the installation holds there (filled by the check)
};

// Why an entry could not be planned.
struct Cplan_fault {
    enum class Ckind {
        none,
        file_missing,      // path: the entry's source path
        folder_missing,    // path: the entry (found by the system's rules, as a folder)
        folder_unreadable,  // path: the folder that could not be read to its end
        folder_link         // path: the folder that is a link, never followed
    };
    Ckind kind = Ckind::none;
    std::wstring path;
};

// The warning the updater shows for a fault.
std::wstring plan_fault_text(const Cplan_fault& fault);

// An entry as the copy works with it: '\' between its folders ('/' accepted), with
// empty and "." steps dropped.
std::wstring normalized_entry(const std::wstring& entry);

// Lists what one (normalized) entry stands for below source_dir and appends its
// files to `plan` in copy order; `is_folder` tells a folder entry. Shows nothing:
// false with `fault` set when the entry names nothing the copy can find now (gone,
// or found only through the system's looser rules for names: a trailing dot or
// space, another case of a non-ASCII letter, a short name), or a folder cannot be
// read to its end. The update run and the publisher's check both plan through it.
bool plan_entry(Cfolder_cache& sources, const std::wstring& source_dir, const std::wstring& entry,
                std::vector<Cplanned_file>& plan, bool& is_folder, Cplan_fault& fault);

// Lists what every entry stands for, each folder of the update data once, and
// appends the files in copy order. An entry that names nothing there now (gone,
// or found only through the system's looser rules for names: a trailing dot or
// space, another case of a non-ASCII letter, a short name), or a folder that cannot
// be read to its end, stops the update: false after telling the user. A folder
// entry without files adds nothing and is fine.
bool plan_update(const std::vector<std::wstring>& entries, const Clisting_tick& tick,
                 std::vector<Cplanned_file>& plan);

// Before any byte of the installation changes: every file that is already there
// can be written and replaced (tried again for about a second while another program holds it),
// and the volume has room for the update. False after telling the user.
bool check_before_copy(std::vector<Cplanned_file>& plan, const Clisting_tick& tick);

// Opens an installed file for writing and deletion without sharing, the access its
// replacement needs, and closes it at once.
enum class Cwrite_check { writable, in_use, refused };
// A read-only file is asked for what its swap needs instead: its attributes and
// its deletion (it is renamed away, never opened for writing).
Cwrite_check check_writable(const std::wstring& path, bool read_only = false);

// Opens the file with the access its replacement needs (writing and deletion,
// without sharing) and closes it at once; once, without waiting.
bool opens_to_replace(const std::wstring& path, bool read_only = false);

// Sharing and lock violations: another program holds the file.
bool is_held(DWORD error);
// Those and an access denial, which a file being scanned or renamed also gives.
bool is_held_or_refused(DWORD error);

// The wait between two tries (pumping messages); tests put one in that does not
// wait. Returns the one it replaces; null puts the real wait back.
using Chold_pause = void (*)(DWORD milliseconds);
Chold_pause replace_hold_pause(Chold_pause pause);

// One wait between two tries of try_through_brief_holds, and how many tries it makes.
void pause_for_brief_hold();
constexpr int brief_hold_tries = 5;

// Virus scanners, indexers and sync clients hold a file for a moment right after it
// was written or renamed. Tries `attempt` until it succeeds, fails with an error
// `brief` does not count as such a hold, or about a second has passed, with the
// dialog alive meanwhile. True when it succeeded; otherwise GetLastError() tells the
// last failure.
template <class Cattempt>
bool try_through_brief_holds(Cattempt attempt, bool (*brief)(DWORD error))
{
    for (int tried = 1;; ++tried) {
        if (attempt())
            return true;
        const DWORD error = GetLastError();
        if (!brief(error) || tried == brief_hold_tries) {
            SetLastError(error);
            return false;
        }
        pause_for_brief_hold();
    }
}
