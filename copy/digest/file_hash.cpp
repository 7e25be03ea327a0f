#include "copy/digest/file_hash.h"

#include <windows.h>

#include "util/file.h"

namespace {

bool is_missing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

Cfile_hash hash_file(const std::wstring& path, const std::wstring& shown, Crun_progress& progress,
                     std::uint64_t& run_done, std::uint64_t run_total, Csha256_digest& digest)
{
    progress.file_started(shown);
    // Shared with every other reader and writer: the game may hold its archive open
    // for reading; the check before the copy tells whether it can be replaced.
    const Chandle file = open_file(path, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    LARGE_INTEGER size = {};
    if (!file.is_open())
        return is_missing(GetLastError()) ? Cfile_hash::missing : Cfile_hash::unreadable;
    if (!GetFileSizeEx(file.get(), &size))
        return Cfile_hash::unreadable;
    progress.file_opened();
    const std::uint64_t file_size = static_cast<std::uint64_t>(size.QuadPart);
    std::uint64_t done = 0;
    const auto hashed_block = [&](std::size_t got) {
        done += got;
        run_done += got;
        progress.block_written(run_done, run_total, done, file_size);
    };
    return sha256_of_open_file(file.get(), digest, hashed_block) ? Cfile_hash::hashed
                                                                  : Cfile_hash::unreadable;
}
