#include "install/destination.h"

#include <windows.h>

#include <string>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "util/file.h"

namespace {

const wchar_t* const engine_file = L"\\VellocEngine.exe";
const wchar_t* const full_setup = L"full";

// Read-only, hidden or system files count as well.
bool is_file(const std::wstring& path)
{
    const DWORD attributes = file_attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool check_destination()
{
    update_info.dest_dir = update_info.exe_dir;
    if (!is_folder(update_info.dest_dir))
        return fail_update(msg::destination_missing(update_info.dest_dir));
    if (!is_file(update_info.dest_dir + engine_file))
        return fail_update(msg::engine_missing);
    // Only a full setup can take the update; the setup type is compared exactly.
    if (update_info.dat_setup != full_setup)
        return fail_update(msg::setup_not_full);
    return true;
}

bool confirm_update()
{
    // Only a Yes goes on: a box that could not be shown (0) is no consent.
    if (ask_yes_no(msg::confirm_overwrite(update_info.dest_dir)) != IDYES) {
        show_information(msg::update_cancelled);
        return false;
    }
    return true;
}
