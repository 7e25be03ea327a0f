#include "config/patch_sources.h"

#include <windows.h>

#include "config/copy_sources.h"
#include "util/file.h"
#include "util/path.h"

std::wstring patch_source_path(const std::wstring& source_dir, const std::wstring& entry)
{
    return copy_source_path(source_dir, entry) + patch_suffix;
}

bool copy_entry_covers_patch(const std::wstring& copy_entry, const std::wstring& patch_entry)
{
    const std::wstring copied = digest_path_key(copy_entry);
    const std::wstring patched = digest_path_key(patch_entry);
    return copied == patched || copied == patched + patch_suffix ||
           patched.compare(0, copied.size() + 1, copied + L"\\") == 0;
}

Cpatch_entry_fault patch_entry_fault(const std::wstring& source_dir,
                                     const std::vector<std::wstring>& patches, std::size_t index,
                                     const std::vector<std::wstring>& copies)
{
    const std::wstring& entry = patches[index];
    if (entry.empty())
        return Cpatch_entry_fault::empty;
    // Joined to the installation folder, an entry that climbs out would patch any
    // file of the machine.
    if (is_unsafe_copy_entry(entry))
        return Cpatch_entry_fault::unsafe;
    for (std::size_t i = 0; i < index; ++i) {
        if (digest_path_key(patches[i]) == digest_path_key(entry))
            return Cpatch_entry_fault::twice;
    }
    for (const std::wstring& copy : copies) {
        if (copy_entry_covers_patch(copy, entry))
            return Cpatch_entry_fault::also_copied;
    }
    const DWORD attributes = file_attributes(patch_source_path(source_dir, entry));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Cpatch_entry_fault::missing;
    return Cpatch_entry_fault::none;
}

std::vector<Csha256_digest> listed_for(const std::vector<Clisted_digest>& list,
                                       const std::wstring& entry)
{
    const std::wstring key = digest_path_key(entry);
    std::vector<Csha256_digest> digests;
    for (const Clisted_digest& line : list) {
        if (digest_path_key(line.path) == key)
            digests.push_back(line.digest);
    }
    return digests;
}
