#pragma once
// The parts of the VCDIFF format (RFC 3284) that reading and writing a patch share:
// the file header's bytes and flags, the window's flags, the integers, the default
// code table, the address caches and the window checksum that xdelta3 adds.
//
// Plain C++ without the system's headers: a patch is bytes, and the code that reads
// and writes it is tested on any machine.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vcdiff {

// "VCD" with its high bits set, then version 0.
constexpr unsigned char magic[4] = {0xD6, 0xC3, 0xC4, 0x00};

// The header's indicator byte.
constexpr unsigned char hdr_decompress = 0x01;  // a secondary compressor's id follows
constexpr unsigned char hdr_codetable = 0x02;   // a code table of the patch's own follows
constexpr unsigned char hdr_appheader = 0x04;   // xdelta3: an application header follows

// The window's indicator byte.
constexpr unsigned char win_source = 0x01;   // the source segment is of the old file
constexpr unsigned char win_target = 0x02;   // ...of the new file written so far
constexpr unsigned char win_adler32 = 0x04;  // xdelta3: the window's Adler-32 follows

// The delta indicator byte: which of the window's sections are compressed.
constexpr unsigned char delta_datacomp = 0x01;
constexpr unsigned char delta_instcomp = 0x02;
constexpr unsigned char delta_addrcomp = 0x04;

// The largest integer a patch may hold: 64-bit offsets, so files past 4 GB work.
constexpr int max_integer_bytes = 10;

// Reads one integer (base 128, most significant digit first, every byte but the
// last with its high bit set) from [*at, end) and moves *at past it. False when the
// bytes end first or the number does not fit 64 bits.
bool read_integer(const unsigned char** at, const unsigned char* end, std::uint64_t& value);

// Writes `value` as such an integer into `out` (room for max_integer_bytes); returns
// the bytes written.
std::size_t write_integer(std::uint64_t value, unsigned char* out);

// The bytes write_integer takes for `value`.
std::size_t integer_size(std::uint64_t value);

enum class Cinstruction_type : unsigned char { noop = 0, add = 1, run = 2, copy = 3 };

// One half of a code: an instruction, its size (0: the size follows as an integer)
// and, for a copy, its address mode.
struct Chalf_code {
    Cinstruction_type type = Cinstruction_type::noop;
    unsigned char size = 0;
    unsigned char mode = 0;
};

struct Ccode {
    Chalf_code first;
    Chalf_code second;
};

using Ccode_table = std::array<Ccode, 256>;

// The default code table of RFC 3284, section 5.6.
const Ccode_table& default_code_table();

// The address caches of RFC 3284, section 5.1, with the default sizes: 4 near
// addresses and 3 * 256 same addresses. Modes: 0 self, 1 here, 2..5 near, 6..8 same.
class Caddress_cache {
public:
    static constexpr int near_size = 4;
    static constexpr int same_size = 3;
    static constexpr int mode_count = 2 + near_size + same_size;
    static constexpr int first_same_mode = 2 + near_size;

    Caddress_cache() { reset(); }
    // Every window starts with empty caches.
    void reset();
    // Records an address a copy used (the decoder and the encoder alike).
    void update(std::uint64_t address);

    std::uint64_t near_address(int slot) const { return near_[slot]; }
    std::uint64_t same_address(std::size_t slot) const { return same_[slot]; }

private:
    std::array<std::uint64_t, near_size> near_{};
    std::array<std::uint64_t, same_size * 256> same_{};
    int next_near_ = 0;
};

// Adler-32 (RFC 1950) of `size` bytes, continuing from `adler` (1 for no bytes):
// the window checksum that xdelta3 writes after VCD_ADLER32.
std::uint32_t adler32(std::uint32_t adler, const unsigned char* bytes, std::size_t size);

}  // namespace vcdiff
