#include "copy/plan/room.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "copy/plan/folder_listing.h"
#include "util/file.h"
#include "util/path.h"

namespace {

constexpr std::uint64_t megabyte = 1048576;

}  // namespace

std::uint64_t round_up_to_cluster(std::uint64_t bytes, std::uint64_t cluster)
{
    if (cluster <= 1)
        return bytes;
    return (bytes + cluster - 1) / cluster * cluster;
}

std::uint64_t run_record_bytes(const std::vector<std::wstring>& paths)
{
    if (paths.empty())
        return 0;  // a run without files writes no record
    // The header and "done", a line for each path, and one for each folder above a
    // path (every folder counted once: the record names each folder it makes once).
    std::uint64_t characters = 64;
    std::set<std::wstring> folders;
    for (const std::wstring& path : paths) {
        characters += path.size() + 24;
        for (std::wstring::size_type end = path.find(L'\\'); end != std::wstring::npos;
             end = path.find(L'\\', end + 1)) {
            if (folders.insert(lower_ascii_copy(path.substr(0, end))).second)
                characters += end + 8;
        }
    }
    return characters * sizeof(wchar_t);
}

std::uint64_t room_needed(const std::vector<Croom_file>& files, std::uint64_t cluster)
{
    std::map<std::wstring, Croom_file> by_path;
    for (const Croom_file& file : files) {
        auto found = by_path.emplace(fold_path_case(file.dest_path), file);
        if (!found.second)
            found.first->second.new_size = std::max(found.first->second.new_size, file.new_size);
    }
    std::vector<std::wstring> paths;
    std::uint64_t needed = 0;
    for (const auto& item : by_path) {
        needed += round_up_to_cluster(item.second.new_size, cluster);
        paths.push_back(item.second.dest_path);
    }
    return needed + round_up_to_cluster(run_record_bytes(paths), cluster);
}

std::uint64_t volume_cluster_size(const std::wstring& folder)
{
    const std::wstring directory = folder.empty() || folder.back() == L'\\' ? folder : folder + L"\\";
    DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
    if (GetDiskFreeSpaceW(long_path(directory).c_str(), &sectors, &bytes, &free_clusters,
                          &clusters))
        return static_cast<std::uint64_t>(sectors) * bytes;
    wchar_t root[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(folder.c_str(), root, MAX_PATH) &&
        GetDiskFreeSpaceW(root, &sectors, &bytes, &free_clusters, &clusters))
        return static_cast<std::uint64_t>(sectors) * bytes;
    return 4096;
}

bool volume_free_bytes(const std::wstring& folder, std::uint64_t& free_bytes)
{
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(long_path(folder).c_str(), &available, nullptr, nullptr))
        return false;
    free_bytes = available.QuadPart;
    return true;
}

std::uint64_t megabytes_rounded_up(std::uint64_t bytes)
{
    return (bytes + megabyte - 1) / megabyte;
}

std::uint64_t megabytes_rounded_down(std::uint64_t bytes)
{
    return bytes / megabyte;
}
