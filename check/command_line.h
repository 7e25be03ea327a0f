#pragma once
// The check's command line: update-check [FOLDER] [--against INSTALL_DIR].

#include <string>

struct Ccommand_line {
    std::wstring folder;  // empty: the current folder
    bool has_install_dir = false;
    std::wstring install_dir;
    bool help = false;
};

// False with `problem` set when the arguments cannot be used.
bool parse_command_line(int argc, const wchar_t* const argv[], Ccommand_line& command,
                        std::wstring& problem);

// The folder path made absolute against the current folder, without a trailing
// separator (but for a drive's root); unchanged when that fails.
std::wstring full_folder_path(const std::wstring& path);

