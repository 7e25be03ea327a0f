#pragma once
// Putting the staged files in place, with a way back: each target is replaced by
// its new file while the old file is kept in the staging folder (a hard link to it
// where the file system has them, otherwise the old file renamed away) until the
// last new file is in place. Undoing and finishing a run are copy/mend/'s.

#include <cstddef>
#include <string>
#include <vector>

#include "copy/base/fault.h"
#include "copy/plan/update_plan.h"
#include "copy/record/run_record.h"

enum class Cmove_outcome { moved, in_use, refused };

// How the old file is kept: a hard link `link` to `existing`. Tests put in a
// function that fails, as on a file system without hard links (FAT); null puts
// the system's back. Returns the one it replaces.
using Cmake_hard_link = bool (*)(const std::wstring& link, const std::wstring& existing);
Cmake_hard_link replace_hard_link_function(Cmake_hard_link function);

// Renames `from` to `to`, over an existing `to` when `replace`, trying again for
// about a second while either is held or refused (try_through_brief_holds). In use
// when another program still holds an existing `to`.
Cmove_outcome move_waiting(const std::wstring& from, const std::wstring& to, bool replace);

// Puts every file of the record in place, making the folders it names as they are
// needed; `placed` counts the files put in place. A fault at the first refusal; the
// caller undoes the run.
Cfault put_files_in_place(const std::wstring& dest_dir, const Crun_record& record,
                          std::size_t& placed);

// Puts every name change of the swap (or of its undoing) on the disk, where the
// volume's file system keeps no journal (FAT, exFAT) and so does not keep their
// order across a power loss: the volume flushed, or every file of the record that
// is there, under its target's name and in the staging folder. Nothing to do on
// NTFS and ReFS. False when a flush fails.
bool make_swap_durable(const std::wstring& dest_dir, const Crun_record& record);

// Removes the temporary files that an earlier version of the updater left beside
// the plan's targets, once the run is done.
void remove_stale_temporaries(const std::wstring& dest_dir, const std::vector<Cplanned_file>& plan);
