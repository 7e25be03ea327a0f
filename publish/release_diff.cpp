#include "publish/release_diff.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "copy/plan/folder_listing.h"
#include "util/file.h"

namespace {

// Bytes compared at a time; a small file takes a buffer of its own size.
constexpr std::uint64_t compare_block = 1 << 20;

std::wstring joined(const std::wstring& folder, const std::wstring& name)
{
    return folder.empty() ? name : folder + L"\\" + name;
}

// The items of one folder on both sides, paired by name as the file system pairs
// them, in the order of those names (the same order on every run and machine).
struct Citem_pair {
    const Clisted_item* old_item = nullptr;
    const Clisted_item* new_item = nullptr;
};

std::map<std::wstring, Citem_pair> paired(const Cfolder_items& old_items,
                                          const Cfolder_items& new_items)
{
    std::map<std::wstring, Citem_pair> pairs;
    for (const Clisted_item& item : old_items.items)
        pairs[fold_path_case(item.name)].old_item = &item;
    for (const Clisted_item& item : new_items.items)
        pairs[fold_path_case(item.name)].new_item = &item;
    return pairs;
}

Chandle open_for_reading(const std::wstring& path)
{
    return Chandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Fills the block; `got` is less than its size only at the end of the file.
bool read_block(const Chandle& file, std::vector<char>& block, DWORD& got)
{
    got = 0;
    return ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) !=
           FALSE;
}

using Ckind = Cdiff_note::Ckind;

class Cdiff_walker {
public:
    Cdiff_walker(const std::wstring& old_dir, const std::wstring& new_dir, Crelease_diff& diff)
        : old_dir_(old_dir), new_dir_(new_dir), diff_(diff)
    {
    }

    void walk()
    {
        const std::wstring root;
        compare_folder(&root, root);
    }

private:
    // One folder of the new release against the same folder of the old one
    // (old_folder null: the old release has none).
    void compare_folder(const std::wstring* old_folder, const std::wstring& new_folder)
    {
        Cfolder_items old_items;
        Cfolder_items new_items;
        if (old_folder && !list(old_dir_, *old_folder, Ckind::old_unreadable, old_items))
            return;
        if (!list(new_dir_, new_folder, Ckind::new_unreadable, new_items))
            return;
        for (const auto& pair : paired(old_items, new_items)) {
            const Clisted_item* old_item = pair.second.old_item;
            const Clisted_item* new_item = pair.second.new_item;
            const std::wstring old_path = old_item ? joined(*old_folder, old_item->name) : L"";
            const std::wstring new_path = new_item ? joined(new_folder, new_item->name) : L"";
            if (!new_item)
                note_removed(*old_item, old_path);
            else if (!old_item)
                add_new(*new_item, new_path);
            else
                compare_item(*old_item, old_path, *new_item, new_path);
        }
    }

    void compare_item(const Clisted_item& old_item, const std::wstring& old_path,
                      const Clisted_item& new_item, const std::wstring& new_path)
    {
        if (old_item.is_folder() != new_item.is_folder()) {
            note(new_item.is_folder() ? Ckind::file_became_folder : Ckind::folder_became_file,
                 new_path, old_path, new_item.is_folder());
            return;
        }
        if (old_item.name != new_item.name)
            note(Ckind::case_renamed, new_path, old_path, new_item.is_folder());
        if (new_item.is_folder()) {
            if (old_item.is_link())
                note(Ckind::old_unreadable, L"", old_path, true);
            else if (new_item.is_link())
                note(Ckind::new_unreadable, new_path, L"", true);
            else
                compare_folder(&old_path, new_path);
            return;
        }
        switch (compare_files(old_dir_ + L"\\" + old_path, old_item.size, new_dir_ + L"\\" + new_path,
                              new_item.size)) {
        case Cfile_comparison::same:
            ++diff_.unchanged;
            break;
        case Cfile_comparison::different:
            ++diff_.changed;
            diff_.copied.push_back({new_path, new_item.size, false, old_path});
            break;
        case Cfile_comparison::old_unreadable:
            note(Ckind::old_unreadable, L"", old_path, false);
            break;
        case Cfile_comparison::new_unreadable:
            note(Ckind::new_unreadable, new_path, L"", false);
            break;
        }
    }

    // A file or folder only the new release has: all of it is copied. A folder
    // without a file at any depth is not made by the update; it is named once, at
    // its top.
    void add_new(const Clisted_item& item, const std::wstring& path)
    {
        if (!item.is_folder()) {
            ++diff_.added;
            diff_.copied.push_back({path, item.size, true, L""});
            return;
        }
        if (item.is_link()) {
            note(Ckind::new_unreadable, path, L"", true);
            return;
        }
        const std::size_t files_before = diff_.copied.size();
        const std::size_t notes_before = diff_.notes.size();
        compare_folder(nullptr, path);
        if (diff_.copied.size() != files_before)
            return;
        auto& notes = diff_.notes;
        const bool unreadable_inside =
            std::any_of(notes.begin() + notes_before, notes.end(),
                        [](const Cdiff_note& n) { return n.kind == Ckind::new_unreadable; });
        if (unreadable_inside)
            return;
        notes.erase(notes.begin() + notes_before, notes.end());  // the empty folders inside
        note(Ckind::empty_folder, path, L"", true);
    }

    void note_removed(const Clisted_item& item, const std::wstring& path)
    {
        const std::size_t files = item.is_folder() ? files_below(path) : 1;
        if (files == 0)
            return;  // an empty folder: nothing stays behind that matters
        diff_.removed += files;
        Cdiff_note removed;
        removed.kind = Ckind::removed;
        removed.old_path = path;
        removed.is_folder = item.is_folder();
        removed.files = files;
        diff_.notes.push_back(removed);
    }

    std::size_t files_below(const std::wstring& old_folder)
    {
        Cfolder_items items;
        if (!list(old_dir_, old_folder, Ckind::old_unreadable, items))
            return 0;
        std::size_t files = 0;
        for (const Clisted_item& item : items.items) {
            if (!item.is_folder())
                ++files;
            else if (!item.is_link())
                files += files_below(joined(old_folder, item.name));
        }
        return files;
    }

    // Lists root\folder; false, with a note, when it cannot be read to its end.
    bool list(const std::wstring& root, const std::wstring& folder, Ckind unreadable,
              Cfolder_items& items)
    {
        items = list_folder_items(folder.empty() ? root : root + L"\\" + folder, Clisting_tick());
        if (items.status == Clisting_status::listed)
            return true;
        const bool old_side = unreadable == Ckind::old_unreadable;
        note(unreadable, old_side ? L"" : folder, old_side ? folder : L"", true);
        return false;
    }

    void note(Ckind kind, const std::wstring& new_path, const std::wstring& old_path, bool is_folder)
    {
        Cdiff_note added;
        added.kind = kind;
        added.new_path = new_path;
        added.old_path = old_path;
        added.is_folder = is_folder;
        diff_.notes.push_back(added);
    }

    const std::wstring& old_dir_;
    const std::wstring& new_dir_;
    Crelease_diff& diff_;
};

}  // namespace

Crelease_diff compare_releases(const std::wstring& old_dir, const std::wstring& new_dir)
{
    Crelease_diff diff;
    Cdiff_walker(old_dir, new_dir, diff).walk();
    return diff;
}

Cfile_comparison compare_files(const std::wstring& old_path, std::uint64_t old_size,
                               const std::wstring& new_path, std::uint64_t new_size)
{
    if (old_size != new_size)
        return Cfile_comparison::different;
    const Chandle old_file = open_for_reading(old_path);
    if (!old_file.is_open())
        return Cfile_comparison::old_unreadable;
    const Chandle new_file = open_for_reading(new_path);
    if (!new_file.is_open())
        return Cfile_comparison::new_unreadable;
    const std::size_t block = static_cast<std::size_t>(std::min(compare_block, new_size + 1));
    std::vector<char> old_block(block);
    std::vector<char> new_block(block);
    for (;;) {
        DWORD old_got = 0;
        DWORD new_got = 0;
        if (!read_block(old_file, old_block, old_got))
            return Cfile_comparison::old_unreadable;
        if (!read_block(new_file, new_block, new_got))
            return Cfile_comparison::new_unreadable;
        // A count that differs means a file changed since it was listed.
        if (old_got != new_got || std::memcmp(old_block.data(), new_block.data(), old_got) != 0)
            return Cfile_comparison::different;
        if (new_got == 0)
            return Cfile_comparison::same;
    }
}
