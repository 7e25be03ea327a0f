#include "delta/vcdiff_headers.h"

#include <algorithm>

#include "delta/vcdiff_format.h"

namespace vcdiff {

namespace {

constexpr std::size_t stream_buffer_size = 64 * 1024;
constexpr unsigned char known_header_bits = hdr_decompress | hdr_codetable | hdr_appheader;
constexpr unsigned char known_window_bits = win_source | win_target | win_adler32;
constexpr unsigned char compressed_bits = delta_datacomp | delta_instcomp | delta_addrcomp;

// What the window needs in memory at once must also fit this machine's addresses (a
// 32-bit build given a limit past 4 GB).
constexpr std::uint64_t max_memory_block = static_cast<std::size_t>(-1) / 2;

}  // namespace

bool add_without_overflow(std::uint64_t a, std::uint64_t b, std::uint64_t& sum)
{
    if (a > UINT64_MAX - b)
        return false;
    sum = a + b;
    return true;
}

Cpatch_stream::Cpatch_stream(Cinput& input) : input_(input), buffer_(stream_buffer_size) {}

bool Cpatch_stream::fill()
{
    if (begin_ < end_)
        return true;
    if (failed_)
        return false;
    std::size_t got = 0;
    if (!input_.read(buffer_.data(), buffer_.size(), got) || got > buffer_.size()) {
        failed_ = true;
        return false;
    }
    begin_ = 0;
    end_ = got;
    return got > 0;
}

Cdecode_fault Cpatch_stream::end_fault() const
{
    return failed_ ? Cdecode_fault::patch_read_failed : Cdecode_fault::truncated;
}

bool Cpatch_stream::at_end()
{
    return !fill();
}

Cdecode_fault Cpatch_stream::read_byte(unsigned char& byte)
{
    if (!fill())
        return end_fault();
    byte = buffer_[begin_++];
    ++offset_;
    return Cdecode_fault::none;
}

Cdecode_fault Cpatch_stream::read_integer(std::uint64_t& value)
{
    // The digits are gathered first, so that the format's own reading decides.
    unsigned char digits[max_integer_bytes];
    std::size_t count = 0;
    unsigned char digit = 0x80;
    while (digit & 0x80) {
        if (count == max_integer_bytes)
            return Cdecode_fault::bad_integer;
        if (const Cdecode_fault fault = read_byte(digit); fault != Cdecode_fault::none)
            return fault;
        digits[count++] = digit;
    }
    const unsigned char* at = digits;
    return vcdiff::read_integer(&at, digits + count, value) ? Cdecode_fault::none
                                                            : Cdecode_fault::bad_integer;
}

Cdecode_fault Cpatch_stream::read_bytes(std::uint64_t size, std::vector<unsigned char>& bytes)
{
    const std::uint64_t wanted = bytes.size() + size;
    while (size > 0) {
        if (!fill())
            return end_fault();
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ - begin_));
        // The room doubles as bytes come, but never past what was asked for.
        if (bytes.capacity() < bytes.size() + n) {
            const std::uint64_t doubled = std::max<std::uint64_t>(bytes.size() + n, 2 * bytes.capacity());
            bytes.reserve(static_cast<std::size_t>(std::min(wanted, doubled)));
        }
        bytes.insert(bytes.end(), buffer_.begin() + begin_, buffer_.begin() + begin_ + n);
        begin_ += n;
        offset_ += n;
        size -= n;
    }
    return Cdecode_fault::none;
}

Cdecode_fault Cpatch_stream::skip(std::uint64_t size)
{
    while (size > 0) {
        if (!fill())
            return end_fault();
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ - begin_));
        begin_ += n;
        offset_ += n;
        size -= n;
    }
    return Cdecode_fault::none;
}

namespace {

Cdecode_fault read_magic(Cpatch_stream& patch)
{
    unsigned char bytes[sizeof magic];
    for (unsigned char& byte : bytes) {
        if (const Cdecode_fault fault = patch.read_byte(byte); fault != Cdecode_fault::none)
            return fault;
    }
    if (!std::equal(bytes, bytes + 3, magic))
        return Cdecode_fault::not_vcdiff;
    return bytes[3] == magic[3] ? Cdecode_fault::none : Cdecode_fault::unsupported_version;
}

Cdecode_fault skip_application_header(Cpatch_stream& patch)
{
    std::uint64_t size = 0;
    if (const Cdecode_fault fault = patch.read_integer(size); fault != Cdecode_fault::none)
        return fault;
    return patch.skip(size);
}

}  // namespace

Cdecode_fault read_file_header(Cpatch_stream& patch)
{
    if (const Cdecode_fault fault = read_magic(patch); fault != Cdecode_fault::none)
        return fault;
    unsigned char indicator = 0;
    if (const Cdecode_fault fault = patch.read_byte(indicator); fault != Cdecode_fault::none)
        return fault;
    if (indicator & ~known_header_bits)
        return Cdecode_fault::unknown_header_bits;
    if (indicator & hdr_decompress)
        return Cdecode_fault::secondary_compression;
    if (indicator & hdr_codetable)
        return Cdecode_fault::custom_code_table;
    return (indicator & hdr_appheader) ? skip_application_header(patch) : Cdecode_fault::none;
}

namespace {

Cdecode_fault read_window_indicator(Cpatch_stream& patch, Cwindow_header& header)
{
    if (const Cdecode_fault fault = patch.read_byte(header.indicator); fault != Cdecode_fault::none)
        return fault;
    const bool both_segments = header.from_source() && header.from_target();
    if ((header.indicator & ~known_window_bits) || both_segments)
        return Cdecode_fault::unknown_window_bits;
    header.has_checksum = (header.indicator & win_adler32) != 0;
    if (!header.from_source() && !header.from_target())
        return Cdecode_fault::none;
    if (const Cdecode_fault fault = patch.read_integer(header.segment_size); fault != Cdecode_fault::none)
        return fault;
    return patch.read_integer(header.segment_position);
}

Cdecode_fault read_checksum(Cpatch_stream& patch, std::uint32_t& checksum)
{
    checksum = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char byte = 0;
        if (const Cdecode_fault fault = patch.read_byte(byte); fault != Cdecode_fault::none)
            return fault;
        checksum = (checksum << 8) | byte;  // big-endian, as xdelta3 writes it
    }
    return Cdecode_fault::none;
}

// The delta encoding's own header: target size, delta indicator, section lengths and
// the checksum. Its length is counted as read, whatever size its integers take.
Cdecode_fault read_encoding_header(Cpatch_stream& patch, Cwindow_header& header)
{
    unsigned char delta_indicator = 0;
    Cdecode_fault fault = patch.read_integer(header.target_size);
    if (fault == Cdecode_fault::none)
        fault = patch.read_byte(delta_indicator);
    if (fault == Cdecode_fault::none && (delta_indicator & compressed_bits))
        return Cdecode_fault::compressed_sections;
    if (fault == Cdecode_fault::none && delta_indicator != 0)
        return Cdecode_fault::unknown_window_bits;
    for (std::uint64_t* size : {&header.data_size, &header.instructions_size, &header.addresses_size}) {
        if (fault == Cdecode_fault::none)
            fault = patch.read_integer(*size);
    }
    if (fault == Cdecode_fault::none && header.has_checksum)
        fault = read_checksum(patch, header.checksum);
    return fault;
}

Cdecode_fault check_lengths(const Cwindow_header& header, std::uint64_t encoding_size,
                            std::uint64_t encoding_header_size)
{
    std::uint64_t sections = 0;
    if (!add_without_overflow(header.data_size, header.instructions_size, sections) ||
        !add_without_overflow(sections, header.addresses_size, sections) ||
        encoding_header_size > encoding_size || encoding_size - encoding_header_size != sections)
        return Cdecode_fault::section_lengths;
    return Cdecode_fault::none;
}

Cdecode_fault check_memory(const Cwindow_header& header, const Cdecode_limits& limits)
{
    std::uint64_t memory = 0;
    if (!add_without_overflow(header.target_size, header.sections_size(), memory) ||
        memory > limits.max_window_memory || memory > max_memory_block)
        return Cdecode_fault::window_too_large;
    return Cdecode_fault::none;
}

}  // namespace

Cdecode_fault read_window_header(Cpatch_stream& patch, const Cdecode_limits& limits,
                                 Cwindow_header& header)
{
    header = Cwindow_header();
    std::uint64_t encoding_size = 0;
    Cdecode_fault fault = read_window_indicator(patch, header);
    if (fault == Cdecode_fault::none)
        fault = patch.read_integer(encoding_size);
    const std::uint64_t encoding_start = patch.offset();
    if (fault == Cdecode_fault::none)
        fault = read_encoding_header(patch, header);
    if (fault == Cdecode_fault::none)
        fault = check_lengths(header, encoding_size, patch.offset() - encoding_start);
    if (fault == Cdecode_fault::none)
        fault = check_memory(header, limits);
    return fault;
}

}  // namespace vcdiff
