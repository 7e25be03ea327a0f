#pragma once
// File and folder primitives: an owning C run-time stream that knows its file's
// size, the file calls in the long form of their paths, and the making and
// removing of folders.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "util/handle.h"

// Owner of at most one open stream. `stream` null implies `size` 0. The stream is
// closed on destruction, on a new open, and on close().
class Cfile {
public:
    Cfile() = default;
    ~Cfile() { close(); }
    Cfile(const Cfile&) = delete;
    Cfile& operator=(const Cfile&) = delete;

    // Opens with _wfopen_s ("rb", "wb", "rt"...) and measures the file. Whatever
    // was open before is closed first, even when the new open fails.
    bool open(const std::wstring& path, const std::wstring& mode);
    void close();

    FILE* stream = nullptr;
    std::int64_t size = 0;  // bytes, taken when the file was opened
};

// Whether an item marked FILE_ATTRIBUTE_REPARSE_POINT with this reparse tag (as
// WIN32_FIND_DATAW::dwReserved0 gives it) is a link to somewhere else: only name
// surrogates are (symbolic links, junctions, mount points). Any other reparse point
// (cloud files, deduplication, compressed system files) is the file or folder
// itself and is read through. Tag 0 is no tag Windows gives; a system that marks a
// reparse point without its tag (Wine for a Unix symbolic link) is taken at its
// word that it is a link.
bool is_link_reparse_tag(DWORD tag);

// `path` made absolute against the current folder by GetFullPathNameW; unchanged
// when that fails.
std::wstring full_path(const std::wstring& path);

// The form of `path` that file calls are given: made absolute and canonical by
// GetFullPathNameW ('/' read as '\', "." and ".." resolved, doubled separators
// joined), then written "\\?\C:\..." ("\\?\UNC\server\share\..." for a share),
// which Windows takes past MAX_PATH (260 characters) without the system's long-path
// setting. A path in that form already is kept, as is one that cannot be made whole.
std::wstring long_path(const std::wstring& path);

// The file calls of the update, each given the long form of `path`.
DWORD file_attributes(const std::wstring& path);
bool set_file_attributes(const std::wstring& path, DWORD attributes);
bool delete_file(const std::wstring& path);
// CreateFileW without security attributes or template; a handle that holds
// nothing when it fails, with the system's last error.
Chandle open_file(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                 DWORD flags);

// Flushes every file of the volume that holds `folder` to the disk in one call.
// Only an elevated program may open a volume for writing; false where the system
// (or Wine) does not flush the volume.
bool flush_volume(const std::wstring& folder);

// Opens the file and flushes it to the disk: its data, and on file systems without
// a journal its directory entry; false when either fails.
bool flush_file(const std::wstring& path);

// Whether the file system keeps the order of its name changes across a power loss
// (a journal: NTFS, ReFS), by its name as GetVolumeInformationW gives it. FAT,
// FAT32 and exFAT (USB drives, SD cards) keep no journal.
bool keeps_names_in_order(const std::wstring& file_system_name);

// keeps_names_in_order for the volume that holds `folder`; true when the system
// does not say.
bool volume_keeps_names_in_order(const std::wstring& folder);

// Whether `path` is a folder (a link to one counts).
bool is_folder(const std::wstring& path);

// Makes the one folder `path` under its exact name. True also when a folder is
// there already, unless it is a link: what is written in it would land elsewhere.
bool make_folder(const std::wstring& path);

// Removes a folder and everything below it, read-only files too. True when no
// folder of that name is left (a file of that name is not the folder and stays);
// links below it are removed, never followed.
bool remove_folder_tree(const std::wstring& folder);

// Makes sure every folder of `path` before its last '\' exists (the path of a
// file gives the file's folder), making each missing level under its exact name.
// True for an empty path; false when a level cannot be made (or a file is in the way).
bool create_path_folders(const std::wstring& path);

// Makes sure the folder `path` itself, and every folder above it, exists.
bool create_folder(const std::wstring& path);

