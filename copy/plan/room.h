#pragma once
// The room an update needs on the installation's volume, worked out before the
// first byte is written. A run writes every new file in full before it replaces
// any, and keeps the old files until the last new one is in place: it needs room
// for every new file on top of what is there, and for the record of the run.

#include <cstdint>
#include <string>
#include <vector>

// One file the update will write.
struct Croom_file {
    std::wstring dest_path;      // compared without regard to letter case
    std::uint64_t new_size = 0;  // bytes the update writes
    bool exists = false;         // the installation holds the file already (it stays
    std::uint64_t old_size = 0;  // its size there       until the end: no room freed)
};

// The size the record of a run writing these files takes at most (each named by
// its path below the installation folder, or by a longer one; the record's lines
// are run_record.h's): a run without files writes none.
std::uint64_t run_record_bytes(const std::vector<std::wstring>& paths);

// Rounds up to whole clusters (a cluster size of 0 counts as 1 byte).
std::uint64_t round_up_to_cluster(std::uint64_t bytes, std::uint64_t cluster);

// The sum over each destination path once of its new size rounded up to the
// cluster, plus the record of the run (run_record_bytes) rounded up. A path written
// twice counts once, with its largest new size.
std::uint64_t room_needed(const std::vector<Croom_file>& files, std::uint64_t cluster);

// The bytes per cluster of the volume that holds `folder` (asked of the folder,
// then of its volume's root); 4,096 when the system does not say.
std::uint64_t volume_cluster_size(const std::wstring& folder);

// The bytes free on that volume for this user; false when the system does not say.
bool volume_free_bytes(const std::wstring& folder, std::uint64_t& free_bytes);

// Bytes shown as whole megabytes (1,048,576 bytes) for the room message.
std::uint64_t megabytes_rounded_up(std::uint64_t bytes);
std::uint64_t megabytes_rounded_down(std::uint64_t bytes);
