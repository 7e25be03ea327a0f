// update-check: the publisher's check of an update folder before it ships.
//   update-check [FOLDER] [--against INSTALL_DIR]
// Exit code 0 with no finding, 1 with warnings only, 2 with any error (a command
// line or folder it cannot use counts as an error).

#include <windows.h>

#include <new>
#include <string>

#include "check/command_line.h"
#include "check/console.h"
#include "check/messages.h"
#include "check/report.h"
#include "check/update_check.h"
#include "util/file.h"

namespace {

constexpr int exit_error = 2;

int fail(const std::wstring& text)
{
    write_text(STD_ERROR_HANDLE, L"update-check: error: " + text + L"\n");
    return exit_error;
}

}  // namespace

namespace {

int check(int argc, wchar_t* argv[])
{
    Ccommand_line command;
    std::wstring problem;
    if (!parse_command_line(argc, argv, command, problem)) {
        write_text(STD_ERROR_HANDLE, std::wstring(check_msg::usage) + L"\n");
        return fail(problem);
    }
    if (command.help) {
        write_text(STD_OUTPUT_HANDLE, std::wstring(check_msg::usage) + L"\n");
        return 0;
    }
    // The installation is named relative to where the check was started, before the
    // check moves into the update folder.
    std::wstring install_dir;
    if (command.has_install_dir) {
        install_dir = full_folder_path(command.install_dir);
        if (!is_folder(install_dir))
            return fail(check_msg::install_folder_missing(command.install_dir));
    }
    // The updater works in its own folder; the check works in the update folder.
    if (!command.folder.empty() && !SetCurrentDirectoryW(command.folder.c_str()))
        return fail(check_msg::folder_missing(command.folder));

    Cfolder_check check = check_update_folder();
    Cinstallation_check installation;
    if (command.has_install_dir) {
        installation = check_installation(check.files, check.patches, install_dir);
        check.findings.insert(check.findings.end(), installation.findings.begin(),
                              installation.findings.end());
    }
    write_text(STD_OUTPUT_HANDLE,
               format_report(check, command.has_install_dir ? &installation : nullptr));
    return check_exit_code(check.findings);
}

}  // namespace

// Whatever happens, the publisher gets a line and an exit code a packaging script
// stops on: an uncaught exception would end the check with neither.
int wmain(int argc, wchar_t* argv[])
{
    try {
        return check(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail(check_msg::out_of_memory);
    } catch (...) {
        return fail(check_msg::unexpected_failure);
    }
}
