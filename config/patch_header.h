#pragma once
// Whether the updater reads a patch's header: checked with update.ini, before the
// question, so that a patch made with other settings is named at once.

#include <string>

enum class Cpatch_header {
    readable,
    compressed,  // secondary compression (xdelta3's default -S lzma)
    code_table,  // a code table of the patch's own
    unreadable,  // no patch, cut short, or a header the updater does not know
};

Cpatch_header read_patch_header(const std::wstring& path);
