#include <gtest/gtest.h>

#include <vector>

#include "delta/vcdiff_sections.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Codes of the default table (RFC 3284, section 5.6) that these cases meet.
constexpr unsigned char add_size_follows = 1;
constexpr unsigned char run_size_follows = 0;
constexpr unsigned char copy_self_size_follows = 19;
constexpr unsigned char copy_here_size_4 = 36;
constexpr unsigned char add_2_copy_self_4 = 166;  // 163 + (2 - 1) * 3 + (4 - 4)
constexpr unsigned char copy_near0_4_add_1 = 249;  // 247 + mode 2

TEST(Cwindow_sections, codes_pair_instructions_where_the_table_does)
{
    vcdiff::Cwindow_sections sections;
    const unsigned char bytes[] = "abcdef";
    sections.start(100000);
    sections.add(bytes, 2);
    sections.copy(990, 4);    // self: two bytes, as near from 0 would take
    sections.copy(99990, 4);  // here: 100006 - 99990 = 16, one byte
    sections.copy(1000, 4);   // near slot 0 (holding 990): 10, one byte
    sections.add(bytes, 1);
    sections.run('z', 300);
    sections.copy(0, 100);  // self
    sections.add(bytes, 20);
    sections.finish();
    EXPECT_EQ(sections.instructions(),
              Bytes({add_2_copy_self_4, copy_here_size_4, copy_near0_4_add_1, run_size_follows,
                     0x82, 0x2C, copy_self_size_follows, 100, add_size_follows, 20}));
    EXPECT_EQ(sections.addresses(), Bytes({0x87, 0x5E, 16, 10, 0}));
    EXPECT_EQ(sections.data().size(), 2u + 1 + 1 + 20);
    EXPECT_EQ(sections.target_size(), 2u + 4 * 3 + 1 + 300 + 100 + 20);
}

TEST(Cwindow_sections, an_address_met_before_takes_one_byte_in_the_same_mode)
{
    vcdiff::Cwindow_sections sections;
    sections.start(1 << 20);
    sections.copy(700000, 10);
    for (std::uint64_t address : {1, 2, 3, 4})  // push 700000 out of the near slots
        sections.copy(address, 10);
    sections.copy(700000, 10);
    sections.finish();
    const std::size_t slot = 700000 % 768;
    EXPECT_EQ(sections.addresses().back(), slot % 256);
    EXPECT_EQ(sections.instructions()[5], 19 + 16 * (6 + slot / 256) + 10 - 3);
}

}  // namespace
