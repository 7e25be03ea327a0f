#pragma once
// The streams of a patch on the system's files: the old file read anywhere, a file
// read front to back, a file written front to back. Each holds its handle.

#include <cstddef>
#include <cstdint>
#include <string>

#include "delta/vcdiff_io.h"
#include "util/handle.h"

namespace vcdiff {

// A file read anywhere (the old file of a patch), measured when it is opened.
class Cfile_source : public Csource {
public:
    // Opens `path` for reading, shared with every reader and writer: the game may
    // hold its archive open, and the check before the copy tells whether it may
    // be replaced. False when it cannot be opened or measured.
    bool open(const std::wstring& path);

    std::uint64_t size() const override { return size_; }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override;

private:
    Chandle file_;
    std::uint64_t size_ = 0;
};

// A file read front to back (a patch, for reading it; a new file, for writing one).
class Cfile_input : public Cinput {
public:
    // Opens `path` for reading with `share`; false when it cannot be opened.
    bool open(const std::wstring& path, unsigned long share);

    bool read(void* bytes, std::size_t size, std::size_t& got) override;

private:
    Chandle file_;
};

// Reads exactly `size` bytes at `offset` of an open file.
bool read_file_at(void* file, std::uint64_t offset, void* bytes, std::size_t size);

}  // namespace vcdiff
