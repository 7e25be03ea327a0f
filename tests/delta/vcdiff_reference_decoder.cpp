#include "vcdiff_reference_decoder.h"

#include <cstring>
#include <vector>

#include "delta/vcdiff_format.h"

namespace vcdiff_test {

namespace {

using namespace vcdiff;

struct Cwindow_reader {
    Csource& old_file;
    const unsigned char* at;
    const unsigned char* end;
    std::string error;

    bool fail(const char* why)
    {
        if (error.empty())
            error = why;
        return false;
    }
    bool integer(std::uint64_t& value)
    {
        return read_integer(&at, end, value) || fail("a truncated integer");
    }
    bool byte(unsigned char& value)
    {
        if (at == end)
            return fail("a truncated byte");
        value = *at++;
        return true;
    }
};

struct Csections {
    const unsigned char *data, *data_end, *inst, *inst_end, *addr, *addr_end;
};

bool decode_address(Cwindow_reader& r, Csections& s, unsigned char mode, std::uint64_t here,
                    Caddress_cache& cache, std::uint64_t& address)
{
    Cwindow_reader addresses{r.old_file, s.addr, s.addr_end, {}};
    std::uint64_t value = 0;
    if (mode >= Caddress_cache::first_same_mode) {
        unsigned char slot = 0;
        if (!addresses.byte(slot))
            return r.fail("the address section ends early");
        address = cache.same_address((mode - Caddress_cache::first_same_mode) * 256 + slot);
    } else if (!addresses.integer(value)) {
        return r.fail("the address section ends early");
    } else {
        address = mode == 0 ? value : mode == 1 ? here - value : cache.near_address(mode - 2) + value;
    }
    s.addr = addresses.at;
    cache.update(address);
    return address < here || r.fail("a copy from past the bytes written");
}

bool run_half(Cwindow_reader& r, Csections& s, const Chalf_code& half, std::uint64_t segment_size,
              std::uint64_t segment_start, Caddress_cache& cache, std::string& out)
{
    std::uint64_t size = half.size;
    Cwindow_reader instructions{r.old_file, s.inst, s.inst_end, {}};
    if (size == 0 && !instructions.integer(size))
        return r.fail("the instruction section ends early");
    s.inst = instructions.at;
    if (half.type == Cinstruction_type::add || half.type == Cinstruction_type::run) {
        const std::size_t taken = half.type == Cinstruction_type::add ? size : 1;
        if (std::size_t(s.data_end - s.data) < taken)
            return r.fail("the data section ends early");
        if (half.type == Cinstruction_type::add)
            out.append(reinterpret_cast<const char*>(s.data), size);
        else
            out.append(size, static_cast<char>(*s.data));
        s.data += taken;
        return true;
    }
    std::uint64_t address = 0;
    if (!decode_address(r, s, half.mode, segment_size + out.size(), cache, address))
        return false;
    for (std::uint64_t i = 0; i < size; ++i) {
        const std::uint64_t from = address + i;
        char c = 0;
        if (from >= segment_size)
            c = out[from - segment_size];
        else if (!r.old_file.read_at(segment_start + from, &c, 1))
            return r.fail("a copy from past the old file");
        out.push_back(c);
    }
    return true;
}

bool decode_window(Cwindow_reader& r, Cdecoded& result)
{
    unsigned char indicator = 0, delta_indicator = 0;
    std::uint64_t segment_size = 0, segment_start = 0, delta_size = 0, target_size = 0;
    std::uint64_t data_size = 0, inst_size = 0, addr_size = 0;
    if (!r.byte(indicator))
        return false;
    if ((indicator & win_source) && !(r.integer(segment_size) && r.integer(segment_start)))
        return false;
    if (!r.integer(delta_size))
        return false;
    const unsigned char* delta_start = r.at;
    if (!(r.integer(target_size) && r.byte(delta_indicator) && r.integer(data_size) &&
          r.integer(inst_size) && r.integer(addr_size)))
        return false;
    if (indicator != (win_adler32 | (indicator & win_source)) || delta_indicator != 0)
        return r.fail("unexpected indicators");
    std::uint32_t checksum = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char b = 0;
        if (!r.byte(b))
            return false;
        checksum = (checksum << 8) | b;
    }
    if (std::uint64_t(r.end - r.at) < data_size + inst_size + addr_size)
        return r.fail("the sections pass the patch's end");
    Csections s{r.at, r.at + data_size, r.at + data_size, r.at + data_size + inst_size,
                r.at + data_size + inst_size, r.at + data_size + inst_size + addr_size};
    r.at = s.addr_end;
    if (std::uint64_t(r.at - delta_start) != delta_size)
        return r.fail("the delta encoding's length is not its bytes'");
    std::string out;
    Caddress_cache cache;
    while (s.inst != s.inst_end) {
        const Ccode& code = default_code_table()[*s.inst++];
        for (const Chalf_code* half : {&code.first, &code.second}) {
            if (half->type != Cinstruction_type::noop &&
                !run_half(r, s, *half, segment_size, segment_start, cache, out))
                return false;
        }
    }
    if (out.size() != target_size || s.data != s.data_end || s.addr != s.addr_end)
        return r.fail("the window's sections do not add up");
    if (adler32(1, reinterpret_cast<const unsigned char*>(out.data()), out.size()) != checksum)
        return r.fail("the window's checksum differs");
    result.target += out;
    ++result.windows;
    result.windows_with_source += (indicator & win_source) ? 1 : 0;
    return true;
}

}  // namespace

Cdecoded reference_decode(Csource& old_file, const std::string& patch)
{
    Cdecoded result;
    const auto* bytes = reinterpret_cast<const unsigned char*>(patch.data());
    if (patch.size() < 5 || std::memcmp(bytes, magic, 4) != 0 || bytes[4] != 0) {
        result.error = "not a patch with a plain header";
        return result;
    }
    Cwindow_reader reader{old_file, bytes + 5, bytes + patch.size(), {}};
    while (reader.at != reader.end) {
        if (!decode_window(reader, result)) {
            result.error = reader.error;
            return result;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace vcdiff_test
