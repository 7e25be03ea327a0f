#pragma once
// The two folders of one run, read once by the run's leader and handed to each
// phase: the update data and the installation.

#include <string>

#include "util/path.h"

struct Cupdate_folders {
    std::wstring source_dir;  // the update data ("gamedata" beside the updater)
    std::wstring dest_dir;    // the installation

    std::wstring source(const std::wstring& relative) const { return join_path(source_dir, relative); }
    std::wstring dest(const std::wstring& relative) const { return join_path(dest_dir, relative); }
};
