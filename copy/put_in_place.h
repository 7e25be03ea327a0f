#pragma once
// Putting the staged files in place, with a way back: each target is replaced by
// its new file while the old file is kept in the staging folder (a hard link to it
// where the file system has them, otherwise the old file renamed away) until the
// last new file is in place. Undoing and finishing a run are mend.h's.

#include <string>

#include "copy/run_record.h"

enum class Cmove_outcome { moved, in_use, refused };

// Renames `from` to `to`, over an existing `to` when `replace`, trying again for
// about a second while either is held or refused (try_through_brief_holds). In use
// when another program still holds an existing `to`.
Cmove_outcome move_waiting(const std::wstring& from, const std::wstring& to, bool replace);

// Puts every file of the record in place, making the folders it names as they are
// needed; `placed` counts the files put in place. False at the first refusal, with
// `warning` set to what the player is told; the caller undoes the run.
bool put_files_in_place(const std::wstring& dest_dir, const Crun_record& record,
                        std::wstring& warning, std::size_t& placed);
