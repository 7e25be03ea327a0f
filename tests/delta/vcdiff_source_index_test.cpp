#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "delta/vcdiff_source_index.h"
#include "memory_streams.h"

namespace {

class Cbytes_source : public vcdiff::Csource {
public:
    explicit Cbytes_source(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        if (refuse || offset > bytes_.size() || size > bytes_.size() - offset)
            return false;
        std::memcpy(bytes, bytes_.data() + offset, size);
        return true;
    }
    const unsigned char* at(std::size_t offset) const
    {
        return reinterpret_cast<const unsigned char*>(bytes_.data()) + offset;
    }
    bool refuse = false;

private:
    std::string bytes_;
};

using vcdiff_test::random_bytes;

TEST(Csource_index, samples_a_file_too_large_for_its_slots_further_apart)
{
    struct Ccase {
        std::size_t file_size;
        std::size_t max_slots;
        std::uint64_t step;
    };
    const Ccase cases[] = {
        {100000, 1 << 20, 16},         // every block has room
        {3 << 20, 1 << 10, 3 << 10},   // 3 MiB over 1 Ki slots
        {(3 << 20) + 5, 1 << 10, (3 << 10) + 1},
    };
    for (const Ccase& c : cases) {
        SCOPED_TRACE(c.file_size);
        Cbytes_source file(random_bytes(c.file_size, 3));
        vcdiff::Csource_index index;
        ASSERT_TRUE(index.build(file, c.max_slots));
        EXPECT_EQ(index.step(), c.step);
        EXPECT_LE(index.slot_count(), c.max_slots);
        int found = 0, samples = 0;
        for (std::uint64_t at = 0; at + vcdiff::hashed_block_size <= c.file_size; at += c.step) {
            std::uint64_t offset = 0;
            ++samples;
            // A block that lost its slot to a later one is not found; one that is found
            // is found where it is.
            if (index.find(vcdiff::block_hash(file.at(at)), offset)) {
                EXPECT_EQ(offset, at);
                ++found;
            }
        }
        EXPECT_GT(found, samples / 2);
    }
}

TEST(Csource_pages, matches_across_page_boundaries_as_a_plain_comparison_does)
{
    const std::string old_bytes = random_bytes(1000, 4);
    Cbytes_source file(old_bytes);
    vcdiff::Csource_pages pages(file, 64, 2);
    // The new bytes: old bytes 100..700 with byte 650 changed.
    std::string new_bytes = old_bytes.substr(100, 600);
    new_bytes[550] ^= 0x55;
    const auto* bytes = reinterpret_cast<const unsigned char*>(new_bytes.data());
    struct Ccase {
        std::uint64_t old_offset;
        std::size_t at;  // in the new bytes
        std::size_t forward;
        std::size_t backward;  // with all bytes before `at` allowed
    };
    const Ccase cases[] = {
        {100, 0, 550, 0},  // from the start of both
        {227, 127, 423, 127},
        {650, 550, 0, 550},  // the changed byte itself: only backwards
        {651, 551, 49, 0},
        {0, 0, 0, 0},  // unrelated
    };
    for (const Ccase& c : cases) {
        SCOPED_TRACE(c.old_offset);
        EXPECT_EQ(pages.match_forward(c.old_offset, bytes + c.at, new_bytes.size() - c.at),
                  c.forward);
        EXPECT_EQ(pages.match_backward(c.old_offset, bytes + c.at, c.at), c.backward);
    }
    EXPECT_EQ(pages.match_forward(990, bytes, 600), 0u);  // past the old file's end
    EXPECT_FALSE(pages.failed());
}

TEST(Csource_pages, a_failed_read_is_remembered)
{
    Cbytes_source file(random_bytes(1000, 5));
    vcdiff::Csource_pages pages(file, 64, 2);
    EXPECT_EQ(pages.match_forward(0, file.at(0), 64), 64u);
    file.refuse = true;
    EXPECT_EQ(pages.match_forward(64, file.at(64), 64), 0u);
    EXPECT_TRUE(pages.failed());
    file.refuse = false;
    // The page held still compares, but no page is read after a failure.
    EXPECT_EQ(pages.match_forward(0, file.at(0), 64), 64u);
    EXPECT_EQ(pages.match_forward(128, file.at(128), 64), 0u);
    EXPECT_TRUE(pages.failed());
}

}  // namespace
