#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "delta/vcdiff_encoder.h"
#include "delta/vcdiff_headers.h"
#include "memory_streams.h"

namespace {

using vcdiff::Cencode_options;
using vcdiff::Cencode_result;

using vcdiff_test::Cmemory_input;
using vcdiff_test::Cmemory_source;
using vcdiff_test::Cmemory_target;

using vcdiff_test::Cmemory_output;

// A patch read back by the updater's own reader: the new file it makes, and how
// many of its windows there are and how many copy from the old file.
struct Cdecoded {
    bool ok = false;
    std::string error;
    std::string target;
    int windows = 0;
    int windows_with_source = 0;
};

int windows_with_source(const std::string& patch)
{
    Cmemory_input input(patch);
    vcdiff::Cpatch_stream stream(input);
    int count = 0;
    if (vcdiff::read_file_header(stream) != vcdiff::Cdecode_fault::none)
        return -1;
    while (!stream.at_end()) {
        vcdiff::Cwindow_header header;
        if (vcdiff::read_window_header(stream, vcdiff::Cdecode_limits(), header) !=
                vcdiff::Cdecode_fault::none ||
            stream.skip(header.sections_size()) != vcdiff::Cdecode_fault::none)
            return -1;
        count += header.from_source() ? 1 : 0;
    }
    return count;
}

Cdecoded decode(vcdiff::Csource& old_file, const std::string& patch)
{
    Cmemory_input input(patch);
    Cmemory_target target;
    const vcdiff::Cdecode_result result = vcdiff::decode(input, old_file, target);
    Cdecoded decoded;
    decoded.ok = result.ok();
    decoded.error = vcdiff::fault_name(result.fault);
    decoded.target = target.bytes();
    decoded.windows = static_cast<int>(result.window);
    decoded.windows_with_source = windows_with_source(patch);
    return decoded;
}

using vcdiff_test::random_bytes;

std::string encoded(const std::string& old_bytes, const std::string& new_bytes,
                    const Cencode_options& options = Cencode_options())
{
    Cmemory_source old_file(old_bytes);
    Cmemory_input new_file(new_bytes);
    Cmemory_output patch;
    EXPECT_EQ(vcdiff::encode(old_file, new_file, patch, options), Cencode_result::written);
    return patch.written;
}

const std::string r1 = random_bytes(200000, 1);
const std::string r2 = random_bytes(200000, 2);

struct Cpair {
    const char* name;
    std::string old_bytes;
    std::string new_bytes;
    std::size_t max_patch;  // the patch's size may not pass this
    int windows_with_source;
};

Cencode_options small_windows()
{
    Cencode_options options;
    options.window_size = 64 << 10;
    return options;
}

std::string changed(std::string bytes, std::size_t at, char c)
{
    bytes[at] = c;
    return bytes;
}

TEST(encode, writes_a_patch_that_turns_the_old_file_into_the_new_one)
{
    const std::string text = "the quick brown fox jumps over the lazy dog; ";
    std::string repeated;
    for (int i = 0; i < 2000; ++i)
        repeated += text;
    const Cpair pairs[] = {
        {"equal", r1, r1, 40, 1},
        {"empty old", "", r1, r1.size() + 40, 0},
        {"empty new", r1, "", 20, 0},
        {"both empty", "", "", 20, 0},
        {"one byte changed", r1, changed(r1, 100000, ~r1[100000]), 60, 1},
        {"one byte inserted", r1, r1.substr(0, 777) + "x" + r1.substr(777), 60, 1},
        {"block moved", r1, r1.substr(150000) + r1.substr(0, 150000), 60, 1},
        {"block deleted", r1, r1.substr(0, 50000) + r1.substr(90000), 60, 1},
        {"new block repeated", r1, r1 + r2.substr(0, 5000) + r1.substr(0, 100) + r2.substr(0, 5000),
         5000 + 100, 1},
        {"a run", r1, r1.substr(0, 1000) + std::string(50000, 'z') + r1.substr(1000), 80, 1},
        {"repeats of a short pattern", "", repeated, 200, 0},
        {"unrelated", r1, r2, r2.size() + 200, 0},
    };
    for (const Cpair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        const std::string patch = encoded(pair.old_bytes, pair.new_bytes);
        EXPECT_LE(patch.size(), pair.max_patch);
        Cmemory_source old_file(pair.old_bytes);
        const Cdecoded decoded = decode(old_file, patch);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_TRUE(decoded.target == pair.new_bytes);
        EXPECT_EQ(decoded.windows, 1);
        EXPECT_EQ(decoded.windows_with_source, pair.windows_with_source);
    }
}

TEST(encode, a_new_file_larger_than_a_window_takes_several)
{
    const std::string old_bytes = r1 + r2;
    std::string new_bytes = r2.substr(0, 120000) + r1 + "inserted" + r2.substr(120000);
    new_bytes[300000] ^= 1;
    const std::string patch = encoded(old_bytes, new_bytes, small_windows());
    EXPECT_LE(patch.size(), 300u);
    Cmemory_source old_file(old_bytes);
    const Cdecoded decoded = decode(old_file, patch);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_TRUE(decoded.target == new_bytes);
    EXPECT_EQ(decoded.windows, int((new_bytes.size() + (64 << 10) - 1) / (64 << 10)));
}

TEST(encode, a_new_file_of_whole_windows_has_no_empty_window_after_them)
{
    const std::string new_bytes = r1.substr(0, 128 << 10);
    const std::string patch = encoded(r1, new_bytes, small_windows());
    Cmemory_source old_file(r1);
    const Cdecoded decoded = decode(old_file, patch);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(decoded.windows, 2);
}

// An old file past 4 GiB: zeros with one random block far past the 32-bit offsets.
class Clarge_source : public vcdiff::Csource {
public:
    static constexpr std::uint64_t block_at = (std::uint64_t(9) << 29) + 12345;  // 4.5 GiB
    std::uint64_t size() const override { return std::uint64_t(5) << 30; }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        auto* out = static_cast<char*>(bytes);
        std::memset(out, 0, size);
        const std::uint64_t start = std::max(offset, block_at);
        const std::uint64_t end = std::min(offset + size, block_at + r1.size());
        if (start < end)
            std::memcpy(out + (start - offset), r1.data() + (start - block_at), end - start);
        return true;
    }
};

TEST(encode, copies_from_past_4_gib_of_the_old_file)
{
    Clarge_source old_file;
    Cmemory_input new_file("head" + r1 + "tail");
    Cmemory_output patch;
    Cencode_options options;
    options.max_index_slots = 1 << 20;
    ASSERT_EQ(vcdiff::encode(old_file, new_file, patch, options), Cencode_result::written);
    EXPECT_LE(patch.written.size(), 60u);
    const Cdecoded decoded = decode(old_file, patch.written);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_TRUE(decoded.target == "head" + r1 + "tail");
}

class Cfailing_source : public Cmemory_source {
public:
    using Cmemory_source::Cmemory_source;
    bool read_at(std::uint64_t, void*, std::size_t) override { return false; }
};
class Cfailing_input : public vcdiff::Cinput {
public:
    bool read(void*, std::size_t, std::size_t&) override { return false; }
};
class Cfailing_output : public vcdiff::Coutput {
public:
    bool write(const void*, std::size_t) override { return false; }
};

TEST(encode, tells_which_file_failed)
{
    Cmemory_source old_file(r1);
    Cfailing_source failing_old(r1);
    Cmemory_input new_file(r1);
    Cfailing_input failing_new;
    Cmemory_output patch;
    Cfailing_output failing_patch;
    EXPECT_EQ(vcdiff::encode(failing_old, new_file, patch), Cencode_result::old_file_unreadable);
    EXPECT_EQ(vcdiff::encode(old_file, failing_new, patch), Cencode_result::new_file_unreadable);
    EXPECT_EQ(vcdiff::encode(old_file, new_file, failing_patch), Cencode_result::patch_unwritable);
}

}  // namespace
