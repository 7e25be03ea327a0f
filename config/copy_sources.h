#pragma once
// What the checks of the copy sources find, without telling anyone: the updater's
// check_copy_sources turns the first fault into its message boxes, the publisher's
// check lists every one.

#include <string>

// The update folder's two parts, relative to the updater's own folder.
inline const wchar_t* const update_ini_name = L"update.ini";
inline const wchar_t* const source_folder_name = L"gamedata";

enum class Ccopy_entry_fault {
    none,
    empty,    // #COPY_FILE = ""
    unsafe,   // could reach outside the source folder
    missing,  // nothing of that name below the source folder
};

// True when the source folder exists and is a folder.
bool is_source_folder(const std::wstring& source_dir);

// source_dir, one '\', the entry: joined as given, never normalised.
std::wstring copy_source_path(const std::wstring& source_dir, const std::wstring& entry);

// The first fault of one entry, in the order the updater tests them.
Ccopy_entry_fault copy_entry_fault(const std::wstring& source_dir, const std::wstring& entry);

// True when the copy entry could reach outside the folder it is joined to (it holds
// a ':' (drive, stream), starts with '\' or '/', or has a ".." level), or names
// that folder itself.
bool is_unsafe_copy_entry(const std::wstring& entry);

// True when the entry is nothing but dots, spaces and separators (".", "./", "... "):
// the system drops trailing dots and spaces, so it names the folder it is joined to.
bool names_source_folder(const std::wstring& entry);
