#include "publish/release_lists.h"

#include <algorithm>

#include "copy/plan/folder_listing.h"

namespace {

std::wstring joined(const std::wstring& folder, const std::wstring& name)
{
    return folder.empty() ? name : folder + L"\\" + name;
}

// The items in the comparison's order: names with every letter folded.
std::vector<const Clisted_item*> sorted_items(const Cfolder_items& listed)
{
    std::vector<const Clisted_item*> items;
    for (const Clisted_item& item : listed.items)
        items.push_back(&item);
    std::sort(items.begin(), items.end(), [](const Clisted_item* a, const Clisted_item* b) {
        return fold_path_case(a->name) < fold_path_case(b->name);
    });
    return items;
}

bool add_folder(const std::wstring& root, const std::wstring& folder,
                std::vector<Cfile_digest>& digests, std::wstring& unreadable)
{
    const Cfolder_items listed =
        list_folder_items(folder.empty() ? root : root + L"\\" + folder, Clisting_tick());
    if (listed.status != Clisting_status::listed) {
        unreadable = folder + L"\\";
        return false;
    }
    for (const Clisted_item* item : sorted_items(listed)) {
        const std::wstring path = joined(folder, item->name);
        if (item->is_folder()) {
            if (!item->is_link() && !add_folder(root, path, digests, unreadable))
                return false;
            continue;
        }
        Cfile_digest digest;
        digest.path = path;
        if (!sha256_of_file(root + L"\\" + path, digest.digest)) {
            unreadable = path;
            return false;
        }
        digests.push_back(digest);
    }
    return true;
}

}  // namespace

bool release_digests(const std::wstring& root, std::vector<Cfile_digest>& digests,
                     std::wstring& unreadable)
{
    digests.clear();
    unreadable.clear();
    return add_folder(root, L"", digests, unreadable);
}
