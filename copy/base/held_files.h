#pragma once
// Files that another program holds. The running game holds its files for as long
// as it runs; virus scanners, indexers and sync clients hold a file for a moment
// right after it was written or renamed. The run tells the two apart by waiting
// about a second, with the dialog alive, before it calls a file in use.

#include <windows.h>

#include <string>

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

// Tries `attempt` until it succeeds, fails with an error `brief` does not count as
// a moment's hold, or about a second has passed, with the dialog alive meanwhile.
// True when it succeeded; otherwise GetLastError() tells the last failure.
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

// Opens an installed file with the access its replacement needs (writing and
// deletion, without sharing) and closes it at once; once, without waiting. A
// read-only file is asked for what its swap needs instead: its attributes and its
// deletion (it is renamed away, never opened for writing).
bool opens_to_replace(const std::wstring& path, bool read_only = false);

enum class Cwrite_check { writable, in_use, refused };

// opens_to_replace, tried again through brief holds: in use when another program
// still holds the file after the wait, refused for any other failure.
Cwrite_check check_writable(const std::wstring& path, bool read_only = false);
