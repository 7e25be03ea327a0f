#include "delta/vcdiff_files.h"

#include <windows.h>

#include "util/file.h"

namespace vcdiff {

namespace {

// The largest single read: ReadFile counts in a DWORD.
constexpr std::size_t largest_read = 1u << 30;

}  // namespace

bool read_file_at(void* file, std::uint64_t offset, void* bytes, std::size_t size)
{
    char* at = static_cast<char*>(bytes);
    while (size > 0) {
        OVERLAPPED where = {};
        where.Offset = static_cast<DWORD>(offset);
        where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD wanted = static_cast<DWORD>(size < largest_read ? size : largest_read);
        DWORD got = 0;
        if (!ReadFile(file, at, wanted, &got, &where) || got == 0)
            return false;
        at += got;
        offset += got;
        size -= got;
    }
    return true;
}

bool Cfile_source::open(const std::wstring& path)
{
    file_ = open_file(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    LARGE_INTEGER measured = {};
    if (!file_.is_open() || !GetFileSizeEx(file_.get(), &measured)) {
        file_.close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(measured.QuadPart);
    return true;
}

bool Cfile_source::read_at(std::uint64_t offset, void* bytes, std::size_t size)
{
    return read_file_at(file_.get(), offset, bytes, size);
}

bool Cfile_input::open(const std::wstring& path, unsigned long share)
{
    file_ = open_file(path, GENERIC_READ, share, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    return file_.is_open();
}

bool Cfile_input::read(void* bytes, std::size_t size, std::size_t& got)
{
    const DWORD wanted = static_cast<DWORD>(size < largest_read ? size : largest_read);
    DWORD read = 0;
    got = 0;
    if (!ReadFile(file_.get(), bytes, wanted, &read, nullptr))
        return false;
    got = read;
    return true;
}

}  // namespace vcdiff
