#include "check/command_line.h"

#include <windows.h>

#include "check/messages.h"
#include "util/file.h"

bool parse_command_line(int argc, const wchar_t* const argv[], Ccommand_line& command,
                        std::wstring& problem)
{
    command = Ccommand_line();
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--against") {
            if (i + 1 >= argc) {
                problem = check_msg::against_without_folder;
                return false;
            }
            command.has_install_dir = true;
            command.install_dir = argv[++i];
        } else if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
            command.help = true;
        } else if (argument.size() > 1 && argument[0] == L'-') {
            problem = check_msg::unknown_option(argument);
            return false;
        } else if (!command.folder.empty()) {
            problem = check_msg::too_many_folders;
            return false;
        } else {
            command.folder = argument;
        }
    }
    // "C:\Update\" typed in cmd arrives as C:\Update": the C runtime reads \" as a quote.
    for (std::wstring* path : {&command.folder, &command.install_dir}) {
        if (!path->empty() && path->back() == L'"')
            path->pop_back();
    }
    return true;
}

std::wstring full_folder_path(const std::wstring& path)
{
    std::wstring full = full_path(path);
    // A folder path carries no trailing separator, except a drive's root.
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    return full;
}
