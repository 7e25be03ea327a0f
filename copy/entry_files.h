#pragma once
// What one copy entry stands for: a folder (its whole tree) or a file (looked up in
// its own folder), listed as the copy lists it. The update run and the publisher's
// check both list entries through these functions.

#include <string>

#include "copy/file_list.h"

enum class Centry_kind { missing, folder, file };

// What source_dir\entry is now on disk.
Centry_kind entry_kind(const std::wstring& source_dir, const std::wstring& entry);

// Lists the files the entry copies into `list`: a folder's tree, depth first, or
// the one file, with the letter case its name has on disk. A missing entry lists
// nothing.
void list_copy_entry(const std::wstring& source_dir, const std::wstring& entry,
                     Centry_kind kind, Cfile_list& list);

// The path, relative to both source_dir and dest_dir, under which a file that
// list_copy_entry found is copied.
std::wstring copied_path(const std::wstring& entry, Centry_kind kind, const Cfile_entry& file);

// The entry with every '/' turned into '\'.
std::wstring with_backslashes(std::wstring entry);
