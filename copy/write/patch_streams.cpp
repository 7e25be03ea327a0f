#include "copy/write/patch_streams.h"

#include <windows.h>

#include <algorithm>

bool Cpatch_input::read(void* bytes, std::size_t size, std::size_t& got)
{
    if (!file_.read(bytes, size, got))
        return false;
    check_.add(bytes, got);
    return true;
}

bool Cstaged_target::write(const void* bytes, std::size_t size)
{
    // A window can be megabytes: it goes out in the writer's blocks, so that the
    // dialog lives and the bars move as for a file copied whole.
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const std::size_t part = std::min(size, block_size_);
        DWORD written = 0;
        if (!WriteFile(file_, at, static_cast<DWORD>(part), &written, nullptr) || written != part)
            return false;
        check_.add(at, part);
        at += part;
        size -= part;
        count_.file_done += part;
        *count_.remaining -= std::min<std::uint64_t>(part, *count_.remaining);
        progress_.block_written(count_.total - *count_.remaining, count_.total, count_.file_done,
                                count_.file_size);
    }
    return true;
}

bool Cstaged_target::read_back(std::uint64_t offset, void* bytes, std::size_t size)
{
    return vcdiff::read_file_at(file_, offset, bytes, size);
}
