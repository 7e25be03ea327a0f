#include "delta/vcdiff_decoder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "delta/memory_streams.h"
#include "delta/vcdiff_format.h"
#include "delta/xdelta3_patches.h"

namespace {

using namespace vcdiff;
using vcdiff_test::Cmemory_input;
using vcdiff_test::Cmemory_source;
using vcdiff_test::Cmemory_target;
using T = Cinstruction_type;
using F = Cdecode_fault;

std::string integer(std::uint64_t value)
{
    unsigned char bytes[max_integer_bytes];
    const std::size_t size = write_integer(value, bytes);
    return std::string(bytes, bytes + size);
}

char code_of(Chalf_code first, Chalf_code second = {})
{
    const Ccode_table& table = default_code_table();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Ccode& code = table[i];
        if (code.first.type == first.type && code.first.size == first.size && code.first.mode == first.mode &&
            code.second.type == second.type && code.second.size == second.size && code.second.mode == second.mode)
            return static_cast<char>(i);
    }
    ADD_FAILURE() << "no such code";
    return 0;
}

// One instruction: its size in the code where the table has one, else after it.
std::string instruction(T type, std::uint64_t size, unsigned char mode = 0)
{
    const Ccode_table& table = default_code_table();
    for (const Ccode& code : table) {
        if (code.first.type == type && code.first.size == size && size != 0 && code.first.mode == mode &&
            code.second.type == T::noop)
            return std::string(1, code_of(code.first));
    }
    return std::string(1, code_of({type, 0, mode})) + integer(size);
}

std::string copy_of(std::uint64_t size, unsigned char mode, const std::string& address)
{
    return instruction(T::copy, size, mode) + address;
}

const std::string file_header("\xD6\xC3\xC4\x00\x00", 5);

struct Cwindow {
    unsigned char indicator = 0;
    std::uint64_t segment_size = 0;
    std::uint64_t segment_position = 0;
    std::uint64_t target_size = 0;
    std::string data;
    std::string instructions;
    std::string addresses;
    std::uint32_t checksum = 0;  // written with win_adler32
    unsigned char delta_indicator = 0;
    int length_error = 0;  // added to the delta encoding's length
};

std::string window_bytes(const Cwindow& window)
{
    std::string encoding = integer(window.target_size) + static_cast<char>(window.delta_indicator) +
                           integer(window.data.size()) + integer(window.instructions.size()) +
                           integer(window.addresses.size());
    if (window.indicator & win_adler32) {
        for (int shift = 24; shift >= 0; shift -= 8)
            encoding += static_cast<char>((window.checksum >> shift) & 0xFF);
    }
    encoding += window.data + window.instructions + window.addresses;
    std::string bytes(1, static_cast<char>(window.indicator));
    if (window.indicator & (win_source | win_target))
        bytes += integer(window.segment_size) + integer(window.segment_position);
    return bytes + integer(encoding.size() + window.length_error) + encoding;
}

// Every hand-made patch reads this old file.
const std::string old_file = vcdiff_test::lcg_bytes(11, 1000);

Cwindow window_of(std::uint64_t target_size, const std::string& data, const std::string& instructions,
                  const std::string& addresses = "")
{
    Cwindow window;
    window.target_size = target_size;
    window.data = data;
    window.instructions = instructions;
    window.addresses = addresses;
    return window;
}

Cwindow with_segment(Cwindow window, unsigned char indicator, std::uint64_t size, std::uint64_t position)
{
    window.indicator = indicator;
    window.segment_size = size;
    window.segment_position = position;
    return window;
}

// A window of `target_size` bytes over the whole old file.
std::string over_old(std::uint64_t target_size, const std::string& instructions,
                     const std::string& addresses, const std::string& data = "")
{
    return window_bytes(with_segment(window_of(target_size, data, instructions, addresses), win_source,
                                     old_file.size(), 0));
}

std::string adding(const std::string& data, std::uint64_t target_size)
{
    return window_bytes(window_of(target_size, data, instruction(T::add, data.size())));
}

struct Cdecoded {
    Cdecode_result result;
    std::string bytes;
    int writes = 0;
};

Cdecoded decode_bytes(const std::string& patch, const std::string& old = old_file,
                      const Cdecode_limits& limits = Cdecode_limits(), std::size_t piece = 4096)
{
    Cmemory_input input(patch, piece);
    Cmemory_source source(old);
    Cmemory_target target;
    Cdecoded decoded;
    decoded.result = decode(input, source, target, limits);
    decoded.bytes = target.bytes();
    decoded.writes = target.writes;
    return decoded;
}

Cdecode_result summary_of(const std::string& patch, Cpatch_summary& summary,
                          const Cdecode_limits& limits = Cdecode_limits())
{
    Cmemory_input input(patch);
    return read_patch_summary(input, summary, limits);
}

struct Chand_case {
    const char* name;
    std::string patch;
    std::string expected;  // the new file, or what the windows before the fault made
    F fault;
};

Cwindow changed(Cwindow window, unsigned char Cwindow::*field, unsigned char value)
{
    window.*field = value;
    return window;
}

Cwindow checked(Cwindow window, const std::string& bytes)
{
    window.indicator |= win_adler32;
    window.checksum = adler32(1, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return window;
}

const Cwindow xyz = window_of(3, "xyz", instruction(T::add, 3));

std::vector<Chand_case> adding_patches()
{
    const std::string data40 = vcdiff_test::lcg_bytes(12, 40);
    return {
        {"add", file_header + adding("xyz", 3), "xyz", F::none},
        {"add with its size after the code", file_header + adding(data40, 40), data40, F::none},
        {"run", file_header + window_bytes(window_of(5, "z", instruction(T::run, 5))), "zzzzz", F::none},
        {"checksum", file_header + window_bytes(checked(xyz, "xyz")), "xyz", F::none},
        {"application header", std::string("\xD6\xC3\xC4\x00\x04\x05" "abcde", 11) + adding("xyz", 3), "xyz",
         F::none},
        {"no window", file_header, "", F::none},
        {"empty window", file_header + window_bytes(Cwindow()), "", F::none},
    };
}

std::vector<Chand_case> copying_patches()
{
    const std::string& o = old_file;
    const std::string near_copies = copy_of(4, 0, "") + copy_of(4, 2, "") + copy_of(4, 3, "") +
                                    copy_of(4, 4, "") + copy_of(4, 5, "");
    const std::string same_copies = copy_of(4, 0, "") + copy_of(4, 0, "") + copy_of(4, 0, "") +
                                    copy_of(4, 7, "") + copy_of(4, 6, "") + copy_of(4, 8, "");
    const std::string end_of_old = o.substr(994, 6);
    return {
        {"copy, self mode", file_header + over_old(4, copy_of(4, 0, ""), integer(2)), o.substr(2, 4), F::none},
        {"copy, here mode", file_header + over_old(4, copy_of(4, 1, ""), integer(995)), o.substr(5, 4), F::none},
        {"copy, every near mode",
         file_header + over_old(20, near_copies, integer(1) + integer(10) + integer(9) + integer(2) + integer(1)),
         o.substr(1, 4) + o.substr(11, 4) + o.substr(20, 4) + o.substr(22, 4) + o.substr(23, 4), F::none},
        {"copy, every same mode",
         file_header + over_old(24, same_copies, integer(300) + integer(5) + integer(600) + "\x2C\x05\x58"),
         o.substr(300, 4) + o.substr(5, 4) + o.substr(600, 4) + o.substr(300, 4) + o.substr(5, 4) + o.substr(600, 4),
         F::none},
        {"copy from the segment on into its own output", file_header + over_old(30, copy_of(30, 0, ""), integer(994)),
         end_of_old + end_of_old + end_of_old + end_of_old + end_of_old, F::none},
        {"copy overlapping its own output",
         file_header + window_bytes(window_of(12, "ab", instruction(T::add, 2) + copy_of(10, 0, ""), integer(0))),
         "abababababab", F::none},
        {"copy overlapping its own output, from inside it",
         file_header + window_bytes(window_of(11, "abc", instruction(T::add, 3) + copy_of(8, 0, ""), integer(1))),
         "abcbcbcbcbc", F::none},
        {"add and copy in one code",
         file_header + over_old(5, std::string(1, code_of({T::add, 1, 0}, {T::copy, 4, 0})), integer(7), "x"),
         "x" + o.substr(7, 4), F::none},
        {"copy and add in one code",
         file_header + over_old(5, std::string(1, code_of({T::copy, 4, 0}, {T::add, 1, 0})), integer(7), "y"),
         o.substr(7, 4) + "y", F::none},
    };
}

std::vector<Chand_case> segment_patches()
{
    const Cwindow copy4 = window_of(4, "", copy_of(4, 0, ""), integer(3));
    const Cwindow copy5 = window_of(5, "", copy_of(5, 0, ""), integer(0));
    return {
        {"segment inside the old file", file_header + window_bytes(with_segment(copy4, win_source, 10, 500)),
         old_file.substr(503, 4), F::none},
        {"segment of the new file",
         file_header + adding("hello world", 11) + window_bytes(with_segment(copy5, win_target, 5, 6)),
         "hello worldworld", F::none},
    };
}

std::vector<Chand_case> good_patches()
{
    std::vector<Chand_case> cases = adding_patches();
    for (const auto& more : {copying_patches(), segment_patches()})
        cases.insert(cases.end(), more.begin(), more.end());
    return cases;
}

std::vector<Chand_case> refused_file_headers()
{
    const std::string add_xyz = adding("xyz", 3);
    return {
        {"not VCDIFF", std::string("XYZ\x00\x00", 5) + add_xyz, "", F::not_vcdiff},
        {"version 1", std::string("\xD6\xC3\xC4\x01\x00", 5) + add_xyz, "", F::unsupported_version},
        {"unknown header bit", std::string("\xD6\xC3\xC4\x00\x08", 5) + add_xyz, "", F::unknown_header_bits},
        {"secondary compression", std::string("\xD6\xC3\xC4\x00\x01\x02", 6) + add_xyz, "",
         F::secondary_compression},
        {"code table of its own", std::string("\xD6\xC3\xC4\x00\x02\x00", 6) + add_xyz, "", F::custom_code_table},
        {"header cut short", file_header.substr(0, 4), "", F::truncated},
    };
}

std::vector<Chand_case> refused_window_headers()
{
    Cwindow longer = xyz, shorter = xyz, huge = xyz;
    longer.length_error = 1;
    shorter.length_error = -1;
    huge.target_size = std::uint64_t{1} << 40;
    const std::string eleven_digits = std::string(10, '\x81') + '\x01';
    const std::string add_xyz = adding("xyz", 3);
    return {
        {"unknown window bit", file_header + window_bytes(changed(xyz, &Cwindow::indicator, 0x08)), "",
         F::unknown_window_bits},
        {"segment of both files", file_header + window_bytes(changed(xyz, &Cwindow::indicator, 0x03)), "",
         F::unknown_window_bits},
        {"data compressed", file_header + window_bytes(changed(xyz, &Cwindow::delta_indicator, delta_datacomp)), "",
         F::compressed_sections},
        {"instructions compressed", file_header + window_bytes(changed(xyz, &Cwindow::delta_indicator, delta_instcomp)),
         "", F::compressed_sections},
        {"addresses compressed", file_header + window_bytes(changed(xyz, &Cwindow::delta_indicator, delta_addrcomp)),
         "", F::compressed_sections},
        {"unknown delta bit", file_header + window_bytes(changed(xyz, &Cwindow::delta_indicator, 0x10)), "",
         F::unknown_window_bits},
        {"encoding longer than its sections", file_header + window_bytes(longer), "", F::section_lengths},
        {"encoding shorter than its sections", file_header + window_bytes(shorter), "", F::section_lengths},
        {"integer past 64 bits", file_header + std::string(1, '\0') + eleven_digits, "", F::bad_integer},
        {"window past the limit", file_header + window_bytes(huge), "", F::window_too_large},
        {"segment past the old file", file_header + window_bytes(with_segment(xyz, win_source, 10, 995)), "",
         F::segment_outside_source},
        {"segment past the new file so far", file_header + add_xyz + window_bytes(with_segment(xyz, win_target, 2, 2)),
         "xyz", F::segment_beyond_target},
        {"window cut short", file_header + add_xyz.substr(0, add_xyz.size() - 1), "", F::truncated},
    };
}

std::vector<Chand_case> refused_instructions()
{
    const std::string self_copy = copy_of(4, 0, "");
    return {
        {"address at the end of the segment", file_header + over_old(4, self_copy, integer(1000)), "",
         F::address_out_of_range},
        {"here mode before the start", file_header + over_old(4, copy_of(4, 1, ""), integer(1001)), "",
         F::address_out_of_range},
        {"near mode past 64 bits",
         file_header + over_old(8, self_copy + copy_of(4, 2, ""), integer(1) + integer(UINT64_MAX)), "",
         F::address_out_of_range},
        {"add past the window", file_header + adding("xyz", 2), "", F::past_window_end},
        {"window left short", file_header + adding("xyz", 4), "", F::window_short},
        {"add short of data", file_header + over_old(3, instruction(T::add, 3), "", "xy"), "", F::data_section_short},
        {"run without data", file_header + window_bytes(window_of(3, "", instruction(T::run, 3))), "",
         F::data_section_short},
        {"copy without address", file_header + over_old(4, self_copy, ""), "", F::address_section_short},
        {"size cut off", file_header + over_old(4, std::string(1, code_of({T::add, 0, 0})), ""), "",
         F::instructions_cut},
        {"data left over", file_header + window_bytes(window_of(3, "zz", instruction(T::run, 3))), "",
         F::sections_left_over},
        {"address left over", file_header + over_old(4, self_copy, integer(1) + integer(2)), "",
         F::sections_left_over},
        {"wrong checksum", file_header + adding("xyz", 3) + window_bytes(checked(xyz, "xyw")), "xyz",
         F::checksum_mismatch},
    };
}

std::vector<Chand_case> bad_patches()
{
    std::vector<Chand_case> cases = refused_file_headers();
    for (const auto& more : {refused_window_headers(), refused_instructions()})
        cases.insert(cases.end(), more.begin(), more.end());
    return cases;
}

TEST(vcdiff_decoder, makes_the_new_file_of_each_hand_made_patch)
{
    for (const Chand_case& c : good_patches()) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{4096}}) {
            const Cdecoded decoded = decode_bytes(c.patch, old_file, Cdecode_limits(), piece);
            EXPECT_EQ(fault_name(decoded.result.fault), std::string("none")) << c.name;
            EXPECT_EQ(decoded.bytes, c.expected) << c.name;
            EXPECT_EQ(decoded.result.target_size, c.expected.size()) << c.name;
        }
    }
}

TEST(vcdiff_decoder, refuses_each_malformed_patch)
{
    for (const Chand_case& c : bad_patches()) {
        const Cdecoded decoded = decode_bytes(c.patch);
        EXPECT_EQ(fault_name(decoded.result.fault), std::string(fault_name(c.fault))) << c.name;
        // What the windows before the faulty one made is written, nothing after.
        EXPECT_EQ(decoded.bytes, c.expected) << c.name;
    }
}

// The summary sees what headers show: the decode's own fault, or none where the fault
// is in the instructions (or in the old file, which it does not read).
TEST(vcdiff_decoder, summary_agrees_with_the_decode)
{
    std::vector<Chand_case> cases = good_patches();
    for (const Chand_case& c : bad_patches())
        cases.push_back(c);
    for (const Chand_case& c : cases) {
        Cpatch_summary summary;
        const Cdecode_result scan = summary_of(c.patch, summary);
        const Cdecode_result decoded = decode_bytes(c.patch).result;
        if (!scan.ok()) {
            EXPECT_EQ(fault_name(scan.fault), std::string(fault_name(decoded.fault))) << c.name;
        }
        if (decoded.ok()) {
            EXPECT_EQ(summary.target_size, c.expected.size()) << c.name;
        }
    }
}

TEST(vcdiff_decoder, summary_counts_windows_and_sizes)
{
    const std::string patch = segment_patches()[1].patch;  // "hello world", then "world" from it
    Cpatch_summary summary;
    ASSERT_TRUE(summary_of(patch, summary).ok());
    EXPECT_EQ(summary.windows, 2u);
    EXPECT_EQ(summary.target_size, 16u);
    EXPECT_EQ(summary.largest_window, 11u);
    EXPECT_EQ(summary.source_size_needed, 0u);

    ASSERT_TRUE(summary_of(segment_patches()[0].patch, summary).ok());  // 10 bytes at 500
    EXPECT_EQ(summary.source_size_needed, 510u);
}

TEST(vcdiff_decoder, limit_counts_the_window_and_its_sections)
{
    const std::string patch = file_header + adding("xyz", 3);
    Cdecode_limits limits;
    limits.max_window_memory = 6;  // 3 target bytes, 3 data bytes, 1 instruction
    EXPECT_EQ(decode_bytes(patch, old_file, limits).result.fault, F::window_too_large);
    Cpatch_summary summary;
    EXPECT_EQ(summary_of(patch, summary, limits).fault, F::window_too_large);
    limits.max_window_memory = 7;
    EXPECT_TRUE(decode_bytes(patch, old_file, limits).result.ok());
}

TEST(vcdiff_decoder, reports_failing_files)
{
    const std::string from_old = file_header + over_old(4, copy_of(4, 0, ""), integer(2));
    const std::string from_new = segment_patches()[1].patch;
    struct Ccase {
        const char* name;
        std::string patch;
        bool fail_source, fail_write, fail_read_back, fail_patch;
        F fault;
    };
    const std::vector<Ccase> cases = {
        {"old file", from_old, true, false, false, false, F::source_read_failed},
        {"write", from_old, false, true, false, false, F::target_write_failed},
        {"read back", from_new, false, false, true, false, F::target_read_failed},
        {"patch", from_old, false, false, false, true, F::patch_read_failed},
    };
    for (const Ccase& c : cases) {
        Cmemory_input input(c.patch);
        input.fail_at_end = c.fail_patch;
        Cmemory_source source(old_file);
        source.fail = c.fail_source;
        Cmemory_target target;
        target.fail_write = c.fail_write;
        target.fail_read_back = c.fail_read_back;
        EXPECT_EQ(fault_name(decode(input, source, target).fault), std::string(fault_name(c.fault))) << c.name;
    }
}

// An old file past 4 GB, made up as it is read.
class Chuge_source : public Csource {
public:
    static unsigned char byte_at(std::uint64_t offset) { return static_cast<unsigned char>((offset * 7) >> 3); }
    std::uint64_t size() const override { return std::uint64_t{6} << 30; }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        for (std::size_t i = 0; i < size; ++i)
            static_cast<unsigned char*>(bytes)[i] = byte_at(offset + i);
        return offset + size <= this->size();
    }
};

TEST(vcdiff_decoder, reads_an_old_file_past_4_gb)
{
    const std::uint64_t position = std::uint64_t{5} << 30;
    const Cwindow copy4 = window_of(4, "", copy_of(4, 0, ""), integer(10));
    const std::string patch = file_header + window_bytes(with_segment(copy4, win_source, 100, position));
    Cmemory_input input(patch);
    Chuge_source source;
    Cmemory_target target;
    ASSERT_TRUE(decode(input, source, target).ok());
    std::string expected;
    for (std::uint64_t offset = position + 10; offset < position + 14; ++offset)
        expected += static_cast<char>(Chuge_source::byte_at(offset));
    EXPECT_EQ(target.bytes(), expected);

    Cpatch_summary summary;
    ASSERT_TRUE(summary_of(patch, summary).ok());
    EXPECT_EQ(summary.source_size_needed, position + 100);
}

struct Cpair {
    std::string old_file;
    std::string new_file;
};

Cpair files_of(const vcdiff_test::Cxdelta3_patch& patch)
{
    const std::string old = vcdiff_test::make_file(patch.old_file);
    return {old, vcdiff_test::make_file(patch.new_file, old)};
}

std::string bytes_of(const vcdiff_test::Cxdelta3_patch& patch)
{
    return std::string(patch.patch.begin(), patch.patch.end());
}

TEST(vcdiff_decoder, gives_what_xdelta3_gives)
{
    for (const vcdiff_test::Cxdelta3_patch& patch : vcdiff_test::xdelta3_patches()) {
        const Cpair pair = files_of(patch);
        const Cdecoded decoded = decode_bytes(bytes_of(patch), pair.old_file);
        Cpatch_summary summary;
        const Cdecode_result scan = summary_of(bytes_of(patch), summary);
        const std::string fault = *patch.fault ? patch.fault : "none";
        EXPECT_EQ(fault_name(decoded.result.fault), fault) << patch.name;
        EXPECT_EQ(fault_name(scan.fault), fault) << patch.name;
        if (!decoded.result.ok())
            continue;
        EXPECT_TRUE(decoded.bytes == pair.new_file) << patch.name;
        EXPECT_EQ(summary.target_size, pair.new_file.size()) << patch.name;
        EXPECT_LE(summary.source_size_needed, pair.old_file.size()) << patch.name;
        // One write a window at least: the updater's dialog is served between them.
        EXPECT_EQ(static_cast<std::uint64_t>(decoded.writes), summary.windows) << patch.name;
    }
}

const vcdiff_test::Cxdelta3_patch& xdelta3_patch(const char* name)
{
    for (const vcdiff_test::Cxdelta3_patch& patch : vcdiff_test::xdelta3_patches()) {
        if (std::string(patch.name) == name)
            return patch;
    }
    throw std::runtime_error(std::string("no patch ") + name);
}

TEST(vcdiff_decoder, windows_of_xdelta3_read_the_old_file_in_few_blocks)
{
    const vcdiff_test::Cxdelta3_patch& patch = xdelta3_patch("windows");
    const Cpair pair = files_of(patch);
    Cpatch_summary summary;
    ASSERT_TRUE(summary_of(bytes_of(patch), summary).ok());
    EXPECT_GT(summary.windows, 10u);
    EXPECT_LE(summary.largest_window, 16384u);

    Cmemory_input input(bytes_of(patch));
    Cmemory_source source(pair.old_file);
    Cmemory_target target;
    ASSERT_TRUE(decode(input, source, target).ok());
    EXPECT_LE(source.reads, 8);  // 200000 bytes in 64 KiB blocks, each read once

    // Blocks smaller than the copies, a few at a time, and the patch a byte a read.
    Cdecode_limits tiny;
    tiny.block_size = 7;
    tiny.block_count = 2;
    const Cdecoded decoded = decode_bytes(bytes_of(patch), pair.old_file, tiny, 1);
    EXPECT_TRUE(decoded.result.ok());
    EXPECT_TRUE(decoded.bytes == pair.new_file);
}

// A patch cut anywhere is refused, unless the cut falls between windows: then it is
// a shorter patch, and the summary says so as well.
TEST(vcdiff_decoder, refuses_a_patch_cut_short)
{
    for (const vcdiff_test::Cxdelta3_patch& patch : vcdiff_test::xdelta3_patches()) {
        if (*patch.fault)
            continue;
        const Cpair pair = files_of(patch);
        const std::string bytes = bytes_of(patch);
        Cpatch_summary whole;
        ASSERT_TRUE(summary_of(bytes, whole).ok());
        std::uint64_t cuts_between_windows = 0;
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            const std::string cut = bytes.substr(0, size);
            const Cdecoded decoded = decode_bytes(cut, pair.old_file);
            Cpatch_summary summary;
            const Cdecode_result scan = summary_of(cut, summary);
            ASSERT_EQ(decoded.result.ok(), scan.ok()) << patch.name << " cut at " << size;
            if (!decoded.result.ok())
                continue;
            ++cuts_between_windows;
            EXPECT_EQ(decoded.result.target_size, summary.target_size) << patch.name << " cut at " << size;
            EXPECT_TRUE(decoded.bytes == pair.new_file.substr(0, decoded.bytes.size())) << patch.name;
        }
        // After the file header, and after every window but the last.
        EXPECT_EQ(cuts_between_windows, whole.windows) << patch.name;
    }
}

}  // namespace
