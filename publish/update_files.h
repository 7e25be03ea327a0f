#pragma once
// The text files of an update folder as make-update writes them: update.ini, with
// a #COPY_FILE entry per top-level item of gamedata (or below, beside patches) and a
// #PATCH_FILE entry per patched file, and the digest lists (gamedata.sha256 with
// every file of gamedata, before.sha256 and after.sha256 with every file of the two
// releases). The same inputs always give the same bytes.

#include <cstddef>
#include <string>
#include <vector>

#include "util/code_page.h"
#include "util/sha256.h"

// update.ini is written in update_ini_code_page (932), the one the updater reads it in.

// One #COPY_FILE entry: a top-level item of gamedata.
struct Cupdate_entry {
    std::wstring name;
    bool is_folder = false;
};

// The top-level items that hold the given files (paths relative to gamedata, '\'
// between levels), each once, in the order of the files.
std::vector<Cupdate_entry> top_level_entries(const std::vector<std::wstring>& files);

// The entries that copy the files shipped whole and nothing of the patched files
// (paths as above): each file's highest folder that holds no patched file, or the
// file itself when every folder above it does. Each once, in the order of the files.
// A #COPY_FILE entry that covered a patched file or its patch would make the
// updater refuse the update.
std::vector<Cupdate_entry> copy_entries(const std::vector<std::wstring>& whole_files,
                                        const std::vector<std::wstring>& patched_files);

// A value as update.ini's reader takes it back: '\' and '"' each behind a '\'.
std::wstring escaped_ini_value(const std::wstring& value);

struct Cupdate_ini {
    std::wstring comment;  // the first line, without its "// "
    std::wstring reg_path;
    std::wstring game_title;
    std::vector<Cupdate_entry> entries;
    std::vector<std::wstring> patches;  // #PATCH_FILE entries, after the #COPY_FILE ones
};

// The file's text, lines ending in CR LF.
std::wstring update_ini_text(const Cupdate_ini& ini);

// The text in update_ini_code_page; false when a character has no place in it.
bool update_ini_bytes(const std::wstring& text, std::string& bytes);

// One line of gamedata.sha256.
struct Cfile_digest {
    std::wstring path;  // relative to gamedata (or the release), '\' between levels
    Csha256_digest digest;
};

// The lines in the form of GNU sha256sum ("DIGEST  path/with/slashes"), as UTF-8
// with LF line ends, so that `sha256sum -c` checks the files from inside gamedata
// (or the installation, for before.sha256 and after.sha256).
std::string sha256_list_bytes(const std::vector<Cfile_digest>& digests);
