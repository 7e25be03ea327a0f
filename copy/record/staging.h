#pragma once
// The staging folder: where a run writes every new file in full before any file of
// the installation is replaced. It sits in the installation folder, so that a new
// file is put in place by a rename on the same volume, and it is made of small
// subfolders: a file made under a new name in a large folder costs a search of the
// whole folder on some file systems (Wine looks for another case of the name), in
// a folder of a few dozen it costs little. Staged file i is "update~\<i/64>\<i>.new";
// the old file it replaces is kept beside it as "<i>.old" until the end of the run.

#include <cstddef>
#include <string>

extern const wchar_t* const staging_folder_name;  // "update~"

std::wstring staging_folder(const std::wstring& dest_dir);
std::wstring staged_new_path(const std::wstring& dest_dir, std::size_t index);
std::wstring staged_old_path(const std::wstring& dest_dir, std::size_t index);

// Makes the staging folder with staged file 0 and each subfolder with its first
// file; called for every staged file in order. True when its folder is there.
bool make_staging_folder_for(const std::wstring& dest_dir, std::size_t index);

