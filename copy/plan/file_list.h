#pragma once
// The listing of one copy entry: the files of a folder of the update data (and,
// when asked, of every folder below it) whose name and extension match two
// patterns, with their sizes and the sum of those sizes.

#include <cstdint>
#include <string>
#include <vector>

class Cfolder_cache;

// One item found in a folder.
struct Cfile_entry {
    std::wstring name;       // relative to the list's base_dir, '\' between levels, case as found
    bool is_folder = false;  // FILE_ATTRIBUTE_DIRECTORY was set
    std::uint64_t size = 0;  // nFileSizeHigh * 2^32 + nFileSizeLow
};

// A folder the search could not go into.
struct Cunlisted_folder {
    std::wstring path;     // full path, without a final '\'
    bool is_link = false;  // a link, never followed; otherwise it could not be read to its end
};

// The result and the settings of one search. A copyable value that owns its entries.
class Cfile_list {
public:
    // Lists base_folder (and, if recursive, every folder below it), keeping the files
    // whose name without extension and whose extension match the patterns ("*" as a
    // whole pattern matches anything; letters A to Z match either case). True when
    // at least one file was kept; see unreadable_folder for a listing that failed.
    bool search(const std::wstring& base_folder, const std::wstring& name_wanted,
                const std::wstring& extension_wanted, bool with_subfolders);

    // Lists base_dir + relative_folder, which is empty or ends in '\', depth first.
    // A missing base folder adds nothing. A folder that cannot be listed to its end,
    // or a subfolder to descend into that is a link, is passed over and named in
    // unlisted_folders, and the search goes on with the rest; false when there was
    // any: files would be missed without a word otherwise.
    bool search_folder(const std::wstring& relative_folder);

    std::vector<Cfile_entry> files;  // kept items, in the order found
    std::uint64_t total_size = 0;    // sum of the sizes of the kept items
    std::wstring base_dir;           // the folder searched, ending in '\'
    std::wstring name_pattern;       // file name without extension, or "*"
    std::wstring extension_pattern;  // extension without its dot, or "*"
    bool recursive = false;
    bool want_files = false;
    bool want_folders = false;
    Cfolder_cache* cache = nullptr;  // lists each folder once per run; own listing when null
    std::vector<Cunlisted_folder> unlisted_folders;  // in the order met
    std::wstring unreadable_folder;  // full path of the first of them: what stops an update

private:
    bool search_in(Cfolder_cache& folders, const std::wstring& relative_folder);
    void not_listed(const std::wstring& path, bool is_link);
    bool matches(const std::wstring& name) const;
    void keep(Cfile_entry entry);

    // The patterns folded once per search rather than once per item.
    std::wstring lower_name_pattern_;
    std::wstring lower_extension_pattern_;
};
