#pragma once
// make-update's command line:
//   make-update OLD NEW OUT --reg-path "Maker\Game" --title "ゲーム名" [--updater PATH] [--whole]
// The options may stand anywhere among the folders.

#include <string>

#include "publish/make_update.h"

struct Cmake_update_command {
    Cmake_update_options options;  // `updater` empty when not given
    bool help = false;
};

// False with `problem` set when the arguments cannot be used, or a value cannot be
// written into update.ini as the updater will read it.
bool parse_make_update_command(int argc, const wchar_t* const argv[],
                               Cmake_update_command& command, std::wstring& problem);
