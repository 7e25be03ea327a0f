#include "delta/vcdiff_window.h"

#include <algorithm>
#include <cstring>

#include "delta/vcdiff_format.h"

namespace vcdiff {

Cblock_cache::Cblock_cache(Csource& file, std::size_t block_size, std::size_t block_count)
    : file_(file), block_size_(std::max<std::size_t>(block_size, 1)),
      blocks_(std::max<std::size_t>(block_count, 1))
{
}

bool Cblock_cache::read(std::uint64_t offset, unsigned char* bytes, std::size_t size)
{
    // A copy as large as a block gains nothing from the cache.
    if (size >= block_size_)
        return file_.read_at(offset, bytes, size);
    while (size > 0) {
        const Cblock* block = block_holding(offset);
        if (!block)
            return false;
        const std::size_t at = static_cast<std::size_t>(offset - block->start);
        const std::size_t n = std::min(size, block->length - at);
        std::memcpy(bytes, block->bytes.data() + at, n);
        bytes += n;
        offset += n;
        size -= n;
    }
    return true;
}

Cblock_cache::Cblock& Cblock_cache::block_to_replace()
{
    Cblock* oldest = &blocks_.front();
    for (Cblock& block : blocks_) {
        if (block.last_use < oldest->last_use)
            oldest = &block;
    }
    return *oldest;
}

const Cblock_cache::Cblock* Cblock_cache::block_holding(std::uint64_t offset)
{
    ++clock_;
    for (Cblock& block : blocks_) {
        // A block read when the file was shorter (the new file grows) may hold less.
        if (block.length > 0 && offset >= block.start && offset - block.start < block.length) {
            block.last_use = clock_;
            return &block;
        }
    }
    const std::uint64_t start = offset - offset % block_size_;
    const std::uint64_t file_size = file_.size();
    if (start >= file_size)
        return nullptr;
    Cblock& block = block_to_replace();
    block.start = start;
    block.length = static_cast<std::size_t>(std::min<std::uint64_t>(block_size_, file_size - start));
    block.bytes.resize(block_size_);
    block.last_use = clock_;
    if (!file_.read_at(start, block.bytes.data(), block.length)) {
        block.length = 0;
        return nullptr;
    }
    return &block;
}

namespace {

struct Csection {
    const unsigned char* at;
    const unsigned char* end;

    std::size_t left() const { return static_cast<std::size_t>(end - at); }
};

class Cwindow_decoder {
public:
    Cwindow_decoder(const Cwindow_header& header, const std::vector<unsigned char>& sections,
                    const Csegment& segment, std::vector<unsigned char>& target);
    Cdecode_fault run();

private:
    Cdecode_fault carry_out(const Chalf_code& half);
    Cdecode_fault read_size(const Chalf_code& half, std::uint64_t& size);
    Cdecode_fault add(std::size_t size);
    Cdecode_fault run_of(std::size_t size);
    Cdecode_fault copy(std::size_t size, unsigned char mode);
    Cdecode_fault read_address(unsigned char mode, std::uint64_t here, std::uint64_t& address);
    void copy_within_target(std::size_t from, std::size_t size);

    Csection data_;
    Csection instructions_;
    Csection addresses_;
    const Csegment& segment_;
    unsigned char* target_;
    std::size_t target_size_;
    std::size_t produced_ = 0;
    Caddress_cache cache_;
};

Cwindow_decoder::Cwindow_decoder(const Cwindow_header& header,
                                 const std::vector<unsigned char>& sections,
                                 const Csegment& segment, std::vector<unsigned char>& target)
    : segment_(segment), target_(target.data()), target_size_(target.size())
{
    // The header's lengths were checked against the delta encoding, read whole.
    const unsigned char* at = sections.data();
    data_ = {at, at + header.data_size};
    instructions_ = {data_.end, data_.end + header.instructions_size};
    addresses_ = {instructions_.end, instructions_.end + header.addresses_size};
}

Cdecode_fault Cwindow_decoder::run()
{
    const Ccode_table& table = default_code_table();
    while (instructions_.at != instructions_.end) {
        const Ccode& code = table[*instructions_.at++];
        for (const Chalf_code* half : {&code.first, &code.second}) {
            if (half->type == Cinstruction_type::noop)
                continue;
            if (const Cdecode_fault fault = carry_out(*half); fault != Cdecode_fault::none)
                return fault;
        }
    }
    if (produced_ != target_size_)
        return Cdecode_fault::window_short;
    if (data_.left() != 0 || addresses_.left() != 0)
        return Cdecode_fault::sections_left_over;
    return Cdecode_fault::none;
}

Cdecode_fault Cwindow_decoder::carry_out(const Chalf_code& half)
{
    std::uint64_t size = 0;
    if (const Cdecode_fault fault = read_size(half, size); fault != Cdecode_fault::none)
        return fault;
    if (size > target_size_ - produced_)
        return Cdecode_fault::past_window_end;
    const std::size_t bytes = static_cast<std::size_t>(size);
    switch (half.type) {
    case Cinstruction_type::add:
        return add(bytes);
    case Cinstruction_type::run:
        return run_of(bytes);
    case Cinstruction_type::copy:
        return copy(bytes, half.mode);
    default:
        return Cdecode_fault::none;
    }
}

Cdecode_fault Cwindow_decoder::read_size(const Chalf_code& half, std::uint64_t& size)
{
    size = half.size;
    if (size != 0)
        return Cdecode_fault::none;
    return read_integer(&instructions_.at, instructions_.end, size) ? Cdecode_fault::none
                                                                   : Cdecode_fault::instructions_cut;
}

Cdecode_fault Cwindow_decoder::add(std::size_t size)
{
    if (size > data_.left())
        return Cdecode_fault::data_section_short;
    if (size > 0)  // an empty window has no bytes to point at
        std::memcpy(target_ + produced_, data_.at, size);
    data_.at += size;
    produced_ += size;
    return Cdecode_fault::none;
}

Cdecode_fault Cwindow_decoder::run_of(std::size_t size)
{
    if (data_.left() == 0)
        return Cdecode_fault::data_section_short;
    const unsigned char byte = *data_.at++;
    if (size > 0)
        std::memset(target_ + produced_, byte, size);
    produced_ += size;
    return Cdecode_fault::none;
}

// The address counts in the source segment followed by the target window (RFC 3284,
// section 3): below the segment's size it is in the segment, above in the window.
Cdecode_fault Cwindow_decoder::copy(std::size_t size, unsigned char mode)
{
    const std::uint64_t here = segment_.size + produced_;
    std::uint64_t address = 0;
    if (const Cdecode_fault fault = read_address(mode, here, address); fault != Cdecode_fault::none)
        return fault;
    if (address >= here)
        return Cdecode_fault::address_out_of_range;
    cache_.update(address);
    if (address < segment_.size) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, segment_.size - address));
        if (!segment_.file->read(segment_.position + address, target_ + produced_, n))
            return segment_.read_fault;
        produced_ += n;
        address += n;
        size -= n;
    }
    if (size > 0)
        copy_within_target(static_cast<std::size_t>(address - segment_.size), size);
    return Cdecode_fault::none;
}

Cdecode_fault Cwindow_decoder::read_address(unsigned char mode, std::uint64_t here, std::uint64_t& address)
{
    if (mode >= Caddress_cache::first_same_mode) {
        if (addresses_.left() == 0)
            return Cdecode_fault::address_section_short;
        const std::size_t slot = (mode - Caddress_cache::first_same_mode) * 256u + *addresses_.at++;
        address = cache_.same_address(slot);
        return Cdecode_fault::none;
    }
    std::uint64_t value = 0;
    if (!read_integer(&addresses_.at, addresses_.end, value))
        return Cdecode_fault::address_section_short;
    if (mode == 0) {
        address = value;
    } else if (mode == 1) {
        if (value > here)
            return Cdecode_fault::address_out_of_range;
        address = here - value;
    } else if (!add_without_overflow(cache_.near_address(mode - 2), value, address)) {
        return Cdecode_fault::address_out_of_range;
    }
    return Cdecode_fault::none;
}

// The copy may reach into the bytes it makes: then the bytes from its start to the
// end so far repeat over it. Each piece copies all of them made so far, from the
// start: the pieces double (a long copy of a short pattern is few calls), and never
// overlap what they are copied from.
void Cwindow_decoder::copy_within_target(std::size_t from, std::size_t size)
{
    while (size > 0) {
        const std::size_t n = std::min(size, produced_ - from);
        std::memcpy(target_ + produced_, target_ + from, n);
        produced_ += n;
        size -= n;
    }
}

}  // namespace

Cdecode_fault decode_window(const Cwindow_header& header, const std::vector<unsigned char>& sections,
                            const Csegment& segment, std::vector<unsigned char>& target)
{
    target.assign(static_cast<std::size_t>(header.target_size), 0);
    return Cwindow_decoder(header, sections, segment, target).run();
}

}  // namespace vcdiff
