#pragma once
// The access list of a replaced file. A file's list is usually all inherited from
// its folder, and a new file in the same folder inherits the same. Where entries of
// its own were given to it (a game that lets every player write its settings under
// Program Files), the new file must carry them too, or the game loses that right.

#include <windows.h>

#include <string>
#include <vector>

// Whether the list holds an entry of its own, not inherited from the folder. A null
// list (everyone may do anything) and an empty one (no one may do anything) are
// set on purpose and count as well.
bool has_explicit_entries(const ACL* dacl, bool dacl_present);

// The access list of a file opened with READ_CONTROL, as a self-relative security
// descriptor; empty when it cannot be read.
std::vector<BYTE> access_descriptor(HANDLE file);

// Gives new files the access lists of the files they replace, for one run.
class Caccess_carrier {
public:
    // Gives `to` the access list of `from` where that list holds entries of its
    // own, exactly as it stands (inherited entries and protection too); any other
    // file keeps what it inherited. False only when `from` has such entries and
    // `to` cannot take them; a list that cannot be read is left to the system.
    bool carry(const std::wstring& from, const std::wstring& to);
    // The same with the old file's list read already, through a handle the caller
    // had open (empty: it could not be read, and `from` is read by its path).
    bool carry(std::vector<BYTE> from_list, const std::wstring& from, const std::wstring& to);

private:
    // A list that a new file of this run was found to have already. Every new file
    // is made alike in the staging folder, so the next old file with this list
    // needs no look at its new file: Wine, which makes every file's list from its
    // Unix mode, would otherwise have each new file's list read again.
    std::vector<BYTE> new_files_list_;
};
