#pragma once
// One window of a patch: its instructions carried out into its target bytes, with the
// source segment read through a cache of blocks.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delta/vcdiff_decode_types.h"
#include "delta/vcdiff_headers.h"
#include "delta/vcdiff_io.h"

namespace vcdiff {

// A file read in blocks kept for later copies: xdelta3's copies mostly come in
// order, many of them small, and each would otherwise be a read of its own.
class Cblock_cache {
public:
    Cblock_cache(Csource& file, std::size_t block_size, std::size_t block_count);

    // Reads exactly `size` bytes at `offset`; false when the file cannot give them.
    bool read(std::uint64_t offset, unsigned char* bytes, std::size_t size);

private:
    struct Cblock {
        std::uint64_t start = 0;
        std::size_t length = 0;
        std::uint64_t last_use = 0;
        std::vector<unsigned char> bytes;
    };

    const Cblock* block_holding(std::uint64_t offset);
    Cblock& block_to_replace();

    Csource& file_;
    std::size_t block_size_;
    std::vector<Cblock> blocks_;
    std::uint64_t clock_ = 0;
};

// The window's source segment: where in which file, and the fault when it cannot be read.
struct Csegment {
    Cblock_cache* file = nullptr;
    std::uint64_t position = 0;
    std::uint64_t size = 0;
    Cdecode_fault read_fault = Cdecode_fault::source_read_failed;
};

// Carries out the window's instructions over its sections (data, instructions and
// addresses, one after the other in `sections`) into `target`, sized to the window.
Cdecode_fault decode_window(const Cwindow_header& header, const std::vector<unsigned char>& sections,
                            const Csegment& segment, std::vector<unsigned char>& target);

}  // namespace vcdiff
