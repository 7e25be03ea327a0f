#pragma once
// What the patch writer knows of the old file: an index of its blocks, by a hash of
// their first bytes, and a few pages of it kept in memory to compare with the new file.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delta/vcdiff_io.h"

namespace vcdiff {

// The bytes a block's hash covers: the shortest match found through the index.
constexpr std::size_t hashed_block_size = 16;

// A hash of the hashed_block_size bytes at `bytes`.
std::uint64_t block_hash(const unsigned char* bytes);

// The old file's blocks at every step-th offset, by hash, one per slot: a later block
// that meets an earlier one in its slot takes the slot. The slots are capped, so the
// index of a large file samples its blocks further apart; memory stays bounded
// (8 bytes a slot) whatever the file's size.
class Csource_index {
public:
    // Reads the old file once, front to back; false when it cannot be read.
    bool build(Csource& old_file, std::size_t max_slots);
    // The offset of a block whose hash is `hash`, if any: a candidate that the caller
    // verifies against the bytes.
    bool find(std::uint64_t hash, std::uint64_t& offset) const;
    std::uint64_t step() const { return step_; }
    std::size_t slot_count() const { return slots_.size(); }

private:
    struct Cslot {
        std::uint32_t check = 0;
        std::uint32_t block = 0;  // the block's number + 1; 0: the slot is free
    };
    void insert(std::uint64_t hash, std::uint64_t block);
    std::size_t slot_of(std::uint64_t hash) const
    {
        return static_cast<std::size_t>(hash >> slot_shift_);
    }

    std::vector<Cslot> slots_;
    std::uint64_t step_ = hashed_block_size;
    int slot_shift_ = 64;
};

// A few pages of the old file in memory, each page kept in the place its number gives
// (matches walk the old file mostly forward, so neighbours do not evict each other).
// A failed read is remembered, and every comparison after it finds nothing.
class Csource_pages {
public:
    Csource_pages(Csource& old_file, std::size_t page_size, std::size_t page_count);

    // How many of `size` bytes at `bytes` equal the old file's from `offset` on.
    std::size_t match_forward(std::uint64_t offset, const unsigned char* bytes, std::size_t size);
    // How many of the `size` bytes before `bytes_end` equal the old file's before `end`.
    std::size_t match_backward(std::uint64_t end, const unsigned char* bytes_end, std::size_t size);
    bool failed() const { return failed_; }

private:
    // The page holding `offset` and where `offset` is in it; null after a failed read.
    const unsigned char* page_at(std::uint64_t offset, std::size_t& in_page, std::size_t& length);

    Csource& file_;
    std::uint64_t file_size_;
    std::size_t page_size_;
    std::vector<unsigned char> bytes_;
    std::vector<std::uint64_t> held_;  // per place: the page number + 1, 0 when empty
    bool failed_ = false;
};

// How many bytes from the start of `a` and `b` are equal, up to `size`.
std::size_t common_prefix(const unsigned char* a, const unsigned char* b, std::size_t size);
// How many bytes before `a_end` and `b_end` are equal, up to `size`.
std::size_t common_suffix(const unsigned char* a_end, const unsigned char* b_end, std::size_t size);

}  // namespace vcdiff
