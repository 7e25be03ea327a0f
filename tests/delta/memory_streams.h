#pragma once
// The patch reader's streams in memory, each able to fail on demand and to count
// what it was asked.

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "delta/vcdiff_decoder.h"

namespace vcdiff_test {

class Cmemory_source : public vcdiff::Csource {
public:
    explicit Cmemory_source(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        ++reads;
        if (fail || offset > bytes_.size() || size > bytes_.size() - offset)
            return false;
        std::memcpy(bytes, bytes_.data() + offset, size);
        return true;
    }

    bool fail = false;
    int reads = 0;

private:
    std::string bytes_;
};

// Gives at most `piece` bytes a read, as a file or pipe may.
class Cmemory_input : public vcdiff::Cinput {
public:
    explicit Cmemory_input(std::string bytes, std::size_t piece = 4096)
        : bytes_(std::move(bytes)), piece_(piece)
    {
    }
    bool read(void* bytes, std::size_t size, std::size_t& got) override
    {
        got = std::min({size, piece_, bytes_.size() - at_});
        std::memcpy(bytes, bytes_.data() + at_, got);
        at_ += got;
        return !(fail_at_end && got == 0);
    }

    bool fail_at_end = false;  // the read after the last byte fails

private:
    std::string bytes_;
    std::size_t piece_;
    std::size_t at_ = 0;
};

class Cmemory_target : public vcdiff::Ctarget {
public:
    bool write(const void* bytes, std::size_t size) override
    {
        ++writes;
        if (fail_write)
            return false;
        bytes_.append(static_cast<const char*>(bytes), size);
        return true;
    }
    bool read_back(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        if (fail_read_back || offset > bytes_.size() || size > bytes_.size() - offset)
            return false;
        std::memcpy(bytes, bytes_.data() + offset, size);
        return true;
    }
    const std::string& bytes() const { return bytes_; }

    bool fail_write = false;
    bool fail_read_back = false;
    int writes = 0;

private:
    std::string bytes_;
};

// A patch written to memory.
class Cmemory_output : public vcdiff::Coutput {
public:
    bool write(const void* bytes, std::size_t size) override
    {
        written.append(static_cast<const char*>(bytes), size);
        return true;
    }
    std::string written;
};

// Bytes that repeat nothing, the same for the same seed.
inline std::string random_bytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

}  // namespace vcdiff_test
