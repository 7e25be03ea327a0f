#pragma once
// The three sections of one window of a patch (data, instructions, addresses), written
// instruction by instruction with the shortest codes the default code table has: two
// instructions share a code where the table pairs them, and each copy's address takes
// the mode that writes it in the fewest bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delta/vcdiff_format.h"

namespace vcdiff {

class Cwindow_sections {
public:
    // Empties the sections for a window whose source segment holds `source_size`
    // bytes: the copies' addresses count from the segment's start, and the window's own
    // bytes follow the segment.
    void start(std::uint64_t source_size);

    void add(const unsigned char* bytes, std::size_t size);
    void run(unsigned char byte, std::size_t size);
    // A copy from `address` (below source_size: the segment; from there on: the bytes
    // of this window written so far).
    void copy(std::uint64_t address, std::size_t size);
    // Writes the code of the last instruction, which may have waited for a partner.
    void finish();

    std::uint64_t target_size() const { return here_ - source_size_; }
    const std::vector<unsigned char>& data() const { return data_; }
    const std::vector<unsigned char>& instructions() const { return instructions_; }
    const std::vector<unsigned char>& addresses() const { return addresses_; }

private:
    struct Cinstruction {
        Cinstruction_type type = Cinstruction_type::noop;
        unsigned char mode = 0;
        std::size_t size = 0;
    };

    void push(const Cinstruction& instruction);
    void write_single(const Cinstruction& instruction);
    unsigned char address_mode(std::uint64_t address);
    void write_integer_to(std::vector<unsigned char>& section, std::uint64_t value);

    std::vector<unsigned char> data_;
    std::vector<unsigned char> instructions_;
    std::vector<unsigned char> addresses_;
    Caddress_cache cache_;
    // The instruction whose code waits for the next one, in case the two share a code.
    Cinstruction waiting_;
    std::uint64_t source_size_ = 0;
    std::uint64_t here_ = 0;
};

}  // namespace vcdiff
