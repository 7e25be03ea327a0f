#pragma once
// What the installation holds where a file of the update goes, as its folder's
// listing showed it before the copy.

#include <windows.h>

#include <cstdint>
#include <string>

// The suffix of the temporary file that earlier versions wrote beside a target
// ("data.arc.update~" beside "data.arc"); a run removes one it finds.
extern const wchar_t* const temporary_suffix;

struct Ctarget {
    bool exists = false;
    std::wstring name_on_disk;  // file name only, in the letter case it has there
    DWORD attributes = 0;
    std::uint64_t size = 0;
    // A temporary file beside it, left by an earlier version of the updater that was
    // cut off (name on disk; empty when there is none): removed when the run ends.
    std::wstring stale_temporary;
};

// The attributes a new file is created with: the replaced file's hidden, system
// and archive attributes, so that the swap keeps them (the system also refuses to
// replace a hidden or system file by one without them).
DWORD temporary_file_attributes(const Ctarget& target);
