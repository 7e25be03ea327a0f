#pragma once
// The comparison of two release folders, file by file: which files of the new
// release an update must copy (new, or different in size or bytes), and what an
// update cannot carry over, which the publisher is told about.
//
// Names are matched as the installation's file system matches them (every letter
// folded), since that is where the update lands. Reads only.

#include <cstdint>
#include <string>
#include <vector>

// A file of the new release that the update copies.
struct Ccopied_release_file {
    std::wstring path;  // relative to the release, '\' between levels, NEW's names
    std::uint64_t size = 0;
    bool is_new = false;  // the old release has no file there
    std::wstring old_path;  // a changed file: the old release's, OLD's names
};

// Something the update does otherwise than the new release shows, or cannot do.
struct Cdiff_note {
    enum class Ckind {
        removed,              // old_path: a file or a folder's files the new release lacks
        empty_folder,         // new_path: a new folder without a file at any depth
        case_renamed,         // new_path, old_path: names that differ only in letter case
        file_became_folder,   // new_path: a folder where the old release has a file
        folder_became_file,   // new_path: a file where the old release has a folder
        old_unreadable,       // old_path: a folder or file that could not be read, or a link
        new_unreadable,       // new_path: likewise in the new release
    };
    Ckind kind = Ckind::removed;
    std::wstring new_path;  // relative, NEW's names
    std::wstring old_path;  // relative, OLD's names
    bool is_folder = false;
    std::size_t files = 0;  // removed: the files it stands for

    bool operator==(const Cdiff_note& other) const
    {
        return kind == other.kind && new_path == other.new_path && old_path == other.old_path &&
               is_folder == other.is_folder && files == other.files;
    }
};

struct Crelease_diff {
    std::vector<Ccopied_release_file> copied;  // in a fixed order: folder by folder, names sorted
    std::size_t changed = 0;
    std::size_t added = 0;
    std::size_t unchanged = 0;
    std::size_t removed = 0;  // files of the old release that the new one lacks
    std::vector<Cdiff_note> notes;  // in the same order
};

// Compares the two release folders (full paths); both must exist.
Crelease_diff compare_releases(const std::wstring& old_dir, const std::wstring& new_dir);

enum class Cfile_comparison { same, different, old_unreadable, new_unreadable };

// Two files of the given sizes compared: by size, then byte by byte.
Cfile_comparison compare_files(const std::wstring& old_path, std::uint64_t old_size,
                               const std::wstring& new_path, std::uint64_t new_size);
