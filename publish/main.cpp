// make-update: a publisher's update folder from two releases.
//   make-update OLD NEW OUT --reg-path "Maker\Game" --title "ゲーム名" [--updater PATH] [--whole]
// Exit code 0 with no finding, 1 with warnings only, 2 with any error (a command
// line it cannot use counts as an error).

#include <windows.h>

#include <string>

#include "check/console.h"
#include "publish/command_line.h"
#include "publish/make_update.h"
#include "publish/messages.h"
#include "util/path.h"

namespace {

constexpr int exit_error = 2;

// The updater that ships beside make-update.exe.
std::wstring updater_beside_this_program()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"updater.exe";
        if (length < path.size()) {
            path.resize(length);
            return path_folder(path) + L"\\updater.exe";
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

int wmain(int argc, wchar_t* argv[])
{
    Cmake_update_command command;
    std::wstring problem;
    if (!parse_make_update_command(argc, argv, command, problem)) {
        write_text(STD_ERROR_HANDLE, std::wstring(make_msg::usage) + L"\n");
        write_text(STD_ERROR_HANDLE, L"make-update: error: " + problem + L"\n");
        return exit_error;
    }
    if (command.help) {
        write_text(STD_OUTPUT_HANDLE, std::wstring(make_msg::usage) + L"\n");
        return 0;
    }
    Cmake_update_options& options = command.options;
    if (options.updater.empty())
        options.updater = updater_beside_this_program();
    options.version = L"" MAKE_UPDATE_VERSION;
    const Cmake_update_run run = make_update(options);
    write_text(STD_OUTPUT_HANDLE, format_make_update_report(run, options));
    return make_update_exit_code(run);
}
