#pragma once
// What reading a patch works with below its entry points: the new file it writes,
// the faults it names and the limits it keeps (vcdiff_decoder.h puts them to use).

#include <cstddef>
#include <cstdint>

#include "delta/vcdiff_io.h"

namespace vcdiff {

// The new file being written. A window may take its source segment from what was
// written before (VCD_TARGET), so the decoder reads that back.
class Ctarget : public Coutput {
public:
    // Reads exactly `size` bytes written earlier, at `offset`; false when it cannot.
    virtual bool read_back(std::uint64_t offset, void* bytes, std::size_t size) = 0;
};

enum class Cdecode_fault {
    none,
    patch_read_failed,      // the patch could not be read
    truncated,              // the patch ends inside its header or a window
    not_vcdiff,             // the first bytes are not VCDIFF's
    unsupported_version,    // a VCDIFF version other than 0
    unknown_header_bits,    // header indicator bits this reader does not know
    secondary_compression,  // sections compressed (xdelta3's default -S lzma)
    custom_code_table,      // a code table of the patch's own
    unknown_window_bits,    // window indicator bits unknown, or source and target both set
    compressed_sections,    // the delta indicator says a section is compressed
    bad_integer,            // an integer larger than 64 bits
    section_lengths,        // the sections do not add up to the delta encoding's length
    window_too_large,       // a window needs more memory than the limits allow
    target_too_large,       // the new file's size would pass 64 bits
    segment_outside_source, // a source segment beyond the end of the old file
    segment_beyond_target,  // a target segment beyond what was written so far
    instructions_cut,       // the instruction section ends inside an instruction
    data_section_short,     // an ADD or RUN needs more data than the section holds
    address_section_short,  // a COPY needs an address the section does not hold
    address_out_of_range,   // a COPY from beyond the source segment and target so far
    past_window_end,        // an instruction would write past the target window
    window_short,           // the instructions leave the target window short
    sections_left_over,     // data or addresses the instructions did not use
    checksum_mismatch,      // the window's Adler-32 is not that of its bytes
    source_read_failed,     // the old file could not be read
    target_read_failed,     // what was written could not be read back
    target_write_failed,    // the new file could not be written
};

// The fault's name, for logs and tests ("checksum_mismatch").
const char* fault_name(Cdecode_fault fault);

struct Cdecode_limits {
    // The most a window may hold in memory: its target bytes and its delta encoding.
    std::uint64_t max_window_memory = std::uint64_t{256} << 20;
    // Copies from a segment go through a cache of this many blocks, each read from the
    // file at once, so that many small copies are few reads; a copy of a block or more
    // is read straight into the window. At most block_size * block_count bytes per
    // file (old and new).
    std::size_t block_size = 64 * 1024;
    std::size_t block_count = 8;
};

}  // namespace vcdiff
