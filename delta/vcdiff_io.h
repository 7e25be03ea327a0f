#pragma once
// What reading and writing a patch read from and write to, so that the same code
// works on files (the updater, make-update) and on memory (tests).

#include <cstddef>
#include <cstdint>

namespace vcdiff {

// A file read anywhere: the old file of a patch.
class Csource {
public:
    virtual ~Csource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly `size` bytes at `offset`; false when they cannot be read.
    virtual bool read_at(std::uint64_t offset, void* bytes, std::size_t size) = 0;
};

// A stream read from front to back: the patch, for reading it; the new file, for
// writing a patch.
class Cinput {
public:
    virtual ~Cinput() = default;
    // Reads up to `size` bytes into `bytes` and sets `got` (0 at the end of the
    // stream); false when the stream cannot be read.
    virtual bool read(void* bytes, std::size_t size, std::size_t& got) = 0;
};

// A stream written from front to back: the new file, for reading a patch; the
// patch, for writing one.
class Coutput {
public:
    virtual ~Coutput() = default;
    // Writes all of `size` bytes; false when they cannot be written.
    virtual bool write(const void* bytes, std::size_t size) = 0;
};

}  // namespace vcdiff
