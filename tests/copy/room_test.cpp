// The room an update needs: what each destination grows by in whole clusters,
// each path once, plus the largest new file for its temporary copy.

#include "copy/room.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Croom_case {
    const char* what;
    std::vector<Croom_file> files;
    std::uint64_t cluster;
    std::uint64_t needed;
};

class Room : public testing::TestWithParam<Croom_case> {};

TEST_P(Room, IsTheGrowthInClustersPlusTheLargestNewFile)
{
    EXPECT_EQ(room_needed(GetParam().files, GetParam().cluster), GetParam().needed)
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Updates, Room,
    testing::Values(
        Croom_case{"nothing to copy", {}, 4096, 0},
        Croom_case{"a new file", {{L"a", 1, false, 0}}, 4096, 4096 + 4096},
        Croom_case{"a file that grows within its cluster", {{L"a", 4000, true, 100}}, 4096, 4096},
        Croom_case{"a file that grows by a cluster", {{L"a", 4097, true, 4096}}, 4096,
                   4096 + 8192},
        Croom_case{"a file that shrinks frees nothing for others",
                   {{L"a", 100, true, 100000}, {L"b", 5000, false, 0}}, 4096,
                   8192 + 8192},
        Croom_case{"the same path twice counts once, with its larger size",
                   {{L"dir\\a", 10000, false, 0}, {L"DIR\\A", 20000, false, 0}}, 4096,
                   20480 + 20480},
        Croom_case{"files of no bytes", {{L"a", 0, false, 0}, {L"b", 0, true, 0}}, 4096, 0},
        Croom_case{"no cluster size known", {{L"a", 10, true, 4}}, 0, 6 + 10}));

TEST(Room, MegabytesAreRoundedForTheMessage)
{
    EXPECT_EQ(megabytes_rounded_up(0), 0u);
    EXPECT_EQ(megabytes_rounded_up(1), 1u);
    EXPECT_EQ(megabytes_rounded_up(1048576), 1u);
    EXPECT_EQ(megabytes_rounded_up(1048577), 2u);
    EXPECT_EQ(megabytes_rounded_down(1048575), 0u);
    EXPECT_EQ(megabytes_rounded_down(3141632), 2u);
}

}  // namespace
