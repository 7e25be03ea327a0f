#pragma once
// The items of a folder, listed with one directory search, and a cache that lists
// each folder once per run however many entries ask for it. Listing is where a
// large update spends its first seconds, so it lets the dialog handle its messages
// as it goes.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "util/file.h"

// One item of a folder, as the directory search gave it.
struct Clisted_item {
    std::wstring name;       // as on disk
    DWORD attributes = 0;
    DWORD reparse_tag = 0;   // dwReserved0 of a reparse point
    std::uint64_t size = 0;  // nFileSizeHigh * 2^32 + nFileSizeLow

    bool is_folder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A junction or symbolic link: never followed, since one that points above
    // itself would make a walk of the tree endless. A cloud file's or any other
    // reparse point that is no link is read like any folder.
    bool is_link() const
    {
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && is_link_reparse_tag(reparse_tag);
    }
};

enum class Clisting_status {
    listed,   // every item was read
    missing,  // there is no such folder
    failed,   // the search broke off: access denied, path too long, an I/O error
};

struct Cfolder_items {
    Clisting_status status = Clisting_status::missing;
    std::vector<Clisted_item> items;  // without "." and ".."
    // Index of each item by its name as the cache matches names; the first of two
    // that differ only in case wins.
    std::map<std::wstring, std::size_t> by_name;
};

// Called once per folder and every few hundred items while a folder is listed.
using Clisting_tick = std::function<void()>;

// Lists `folder` with FindFirstFileW/FindNextFileW.
Cfolder_items list_folder_items(const std::wstring& folder, const Clisting_tick& tick);

// The seam through which every listing goes; tests count and fake the searches.
using Clist_function = Cfolder_items (*)(const std::wstring& folder, const Clisting_tick& tick);
Clist_function replace_list_function(Clist_function function);

// How names are matched when an item is looked up by name.
enum class Cname_match {
    ascii_letters,  // exactly but for A to Z: how the update data's names are matched
    file_system,    // every letter folded: how the installation's file system matches
};

// Each folder listed at most once; folders are told apart without regard to case.
class Cfolder_cache {
public:
    explicit Cfolder_cache(Cname_match match = Cname_match::ascii_letters,
                           Clisting_tick tick = Clisting_tick())
        : match_(match), tick_(std::move(tick))
    {
    }

    const Cfolder_items& items(const std::wstring& folder);

    // The item named `name` in `folder`; null when there is none.
    const Clisted_item* find(const std::wstring& folder, const std::wstring& name);

private:
    std::wstring name_key(const std::wstring& name) const;

    Cname_match match_;
    Clisting_tick tick_;
    std::map<std::wstring, Cfolder_items> folders_;
};

// A path folded for comparison the way the file system compares names.
std::wstring fold_path_case(const std::wstring& path);
