#include "copy/digest/file_hash.h"

#include <windows.h>

#include <vector>

#include "util/file.h"

namespace {

constexpr DWORD block_size = 1 << 20;

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
    Csha256 hash;
    if (!GetFileSizeEx(file.get(), &size) || !hash.ok())
        return Cfile_hash::unreadable;
    progress.file_opened();
    const std::uint64_t file_size = static_cast<std::uint64_t>(size.QuadPart);
    std::vector<unsigned char> block(block_size);
    for (std::uint64_t done = 0; done < file_size;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), block.data(), block_size, &got, nullptr) || got == 0 ||
            !hash.add(block.data(), got))
            return Cfile_hash::unreadable;
        done += got;
        run_done += got;
        progress.block_written(run_done, run_total, done, file_size);
    }
    return hash.finish(digest) ? Cfile_hash::hashed : Cfile_hash::unreadable;
}
