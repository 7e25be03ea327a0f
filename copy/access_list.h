#pragma once
// The access list of a replaced file. A file's list is usually all inherited from
// its folder, and a new file in the same folder inherits the same. Where entries of
// its own were given to it (a game that lets every player write its settings under
// Program Files), the new file must carry them too, or the game loses that right.

#include <windows.h>

#include <string>

// Whether the list holds an entry of its own, not inherited from the folder. A null
// list (everyone may do anything) and an empty one (no one may do anything) are
// set on purpose and count as well.
bool has_explicit_entries(const ACL* dacl, bool dacl_present);

// Gives `to` the access list of `from` where that list holds entries of its own,
// exactly as it stands (inherited entries and protection too); any other file
// keeps what it inherited. False only when `from` has such entries and `to` cannot
// take them; a list that cannot be read is left to the system.
bool carry_explicit_access(const std::wstring& from, const std::wstring& to);
