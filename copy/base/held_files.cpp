#include "copy/base/held_files.h"

#include "toolkit/dialog.h"
#include "util/file.h"

namespace {

// A file another program holds is tried brief_hold_tries times, this far apart.
constexpr DWORD write_check_pause_ms = 250;

// Waits a while with the dialog alive.
void pause_pumping(DWORD milliseconds)
{
    const ULONGLONG until = GetTickCount64() + milliseconds;
    while (GetTickCount64() < until) {
        ruko::pump_messages();
        Sleep(20);
    }
}

Chold_pause hold_pause = pause_pumping;

}  // namespace

bool is_held(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool is_held_or_refused(DWORD error)
{
    return is_held(error) || error == ERROR_ACCESS_DENIED;
}

Chold_pause replace_hold_pause(Chold_pause pause)
{
    const Chold_pause previous = hold_pause;
    hold_pause = pause ? pause : pause_pumping;
    return previous;
}

void pause_for_brief_hold()
{
    hold_pause(write_check_pause_ms);
}

bool opens_to_replace(const std::wstring& path, bool read_only)
{
    // The old file is kept through a hard link and the new one renamed over it, so
    // a file that may be written but not replaced is found here, not half-way.
    const DWORD access = (read_only ? FILE_WRITE_ATTRIBUTES : GENERIC_WRITE) | DELETE;
    return open_file(path, access, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL).is_open();
}

Cwrite_check check_writable(const std::wstring& path, bool read_only)
{
    // A running game does not let go within the wait; an access denial here is
    // the file's permissions, not a moment's hold.
    if (try_through_brief_holds([&] { return opens_to_replace(path, read_only); }, is_held))
        return Cwrite_check::writable;
    return is_held(GetLastError()) ? Cwrite_check::in_use : Cwrite_check::refused;
}
