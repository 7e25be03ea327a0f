#include "delta/vcdiff_format.h"

namespace vcdiff {

bool read_integer(const unsigned char** at, const unsigned char* end, std::uint64_t& value)
{
    value = 0;
    for (const unsigned char* p = *at; p != end; ++p) {
        if (value > (UINT64_MAX >> 7))
            return false;  // one more digit would not fit
        value = (value << 7) | (*p & 0x7F);
        if (!(*p & 0x80)) {
            *at = p + 1;
            return true;
        }
    }
    return false;
}

std::size_t integer_size(std::uint64_t value)
{
    std::size_t size = 1;
    while (value >>= 7)
        ++size;
    return size;
}

std::size_t write_integer(std::uint64_t value, unsigned char* out)
{
    const std::size_t size = integer_size(value);
    for (std::size_t i = size; i-- > 0;) {
        out[i] = static_cast<unsigned char>((value & 0x7F) | (i + 1 == size ? 0 : 0x80));
        value >>= 7;
    }
    return size;
}

namespace {

Ccode_table make_default_code_table()
{
    using T = Cinstruction_type;
    Ccode_table table{};
    std::size_t i = 0;
    table[i++] = {{T::run, 0, 0}, {}};
    for (unsigned char size = 0; size <= 17; ++size)
        table[i++] = {{T::add, size, 0}, {}};
    for (unsigned char mode = 0; mode < Caddress_cache::mode_count; ++mode) {
        table[i++] = {{T::copy, 0, mode}, {}};
        for (unsigned char size = 4; size <= 18; ++size)
            table[i++] = {{T::copy, size, mode}, {}};
    }
    for (unsigned char mode = 0; mode < Caddress_cache::mode_count; ++mode) {
        const unsigned char last_copy_size = mode < Caddress_cache::first_same_mode ? 6 : 4;
        for (unsigned char add = 1; add <= 4; ++add) {
            for (unsigned char copy = 4; copy <= last_copy_size; ++copy)
                table[i++] = {{T::add, add, 0}, {T::copy, copy, mode}};
        }
    }
    for (unsigned char mode = 0; mode < Caddress_cache::mode_count; ++mode)
        table[i++] = {{T::copy, 4, mode}, {T::add, 1, 0}};
    return table;
}

}  // namespace

const Ccode_table& default_code_table()
{
    static const Ccode_table table = make_default_code_table();
    return table;
}

void Caddress_cache::reset()
{
    near_.fill(0);
    same_.fill(0);
    next_near_ = 0;
}

void Caddress_cache::update(std::uint64_t address)
{
    near_[next_near_] = address;
    next_near_ = (next_near_ + 1) % near_size;
    same_[address % same_.size()] = address;
}

std::uint32_t adler32(std::uint32_t adler, const unsigned char* bytes, std::size_t size)
{
    constexpr std::uint32_t base = 65521;
    // 5552 bytes is the most that can be summed before the sums may pass 32 bits.
    constexpr std::size_t chunk = 5552;
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (size > 0) {
        const std::size_t n = size < chunk ? size : chunk;
        for (std::size_t i = 0; i < n; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= base;
        b %= base;
        bytes += n;
        size -= n;
    }
    return (b << 16) | a;
}

}  // namespace vcdiff
