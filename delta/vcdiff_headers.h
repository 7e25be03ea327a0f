#pragma once
// The reading of a patch's headers, shared by decode() and read_patch_summary(): the
// patch as a buffered stream of bytes and integers, the file header and each
// window's header up to its sections.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delta/vcdiff_decode_types.h"
#include "delta/vcdiff_format.h"
#include "delta/vcdiff_io.h"

namespace vcdiff {

// The patch read front to back in blocks, whatever sizes its reads return.
class Cpatch_stream {
public:
    explicit Cpatch_stream(Cinput& input);

    Cdecode_fault read_byte(unsigned char& byte);
    Cdecode_fault read_integer(std::uint64_t& value);
    // Appends `size` bytes to `bytes`, growing it as they arrive, so that a length
    // larger than the patch costs no more memory than the patch has. `size` is one the
    // limits allowed: it fits in memory.
    Cdecode_fault read_bytes(std::uint64_t size, std::vector<unsigned char>& bytes);
    Cdecode_fault skip(std::uint64_t size);
    // True at the end of the patch; a read failure is kept for fault().
    bool at_end();

    std::uint64_t offset() const { return offset_; }
    // patch_read_failed once a read failed, truncated otherwise.
    Cdecode_fault end_fault() const;

private:
    bool fill();

    Cinput& input_;
    std::vector<unsigned char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t offset_ = 0;
    bool failed_ = false;
};

// Reads the file header: magic, version, indicator and xdelta3's application header
// (passed over). Refuses secondary compression and a code table of the patch's own.
Cdecode_fault read_file_header(Cpatch_stream& patch);

struct Cwindow_header {
    unsigned char indicator = 0;
    std::uint64_t segment_size = 0;
    std::uint64_t segment_position = 0;
    std::uint64_t target_size = 0;
    std::uint64_t data_size = 0;
    std::uint64_t instructions_size = 0;
    std::uint64_t addresses_size = 0;
    bool has_checksum = false;
    std::uint32_t checksum = 0;

    bool from_source() const { return (indicator & win_source) != 0; }
    bool from_target() const { return (indicator & win_target) != 0; }
    std::uint64_t sections_size() const { return data_size + instructions_size + addresses_size; }
};

// Reads a window's header up to its data section and checks what it alone can show:
// known indicator bits, no compressed section, lengths that add up, and a window
// within the limits.
Cdecode_fault read_window_header(Cpatch_stream& patch, const Cdecode_limits& limits,
                                 Cwindow_header& header);

// a + b into `sum`; false when it would pass 64 bits.
bool add_without_overflow(std::uint64_t a, std::uint64_t b, std::uint64_t& sum);

}  // namespace vcdiff
