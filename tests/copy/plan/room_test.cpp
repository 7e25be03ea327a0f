// The room an update needs: every new file in whole clusters, each path once (the
// old files stay until the last new one is in place), plus the record of the run.

#include "copy/plan/room.h"

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

TEST_P(Room, IsEveryNewFileInClustersPlusTheRecord)
{
    EXPECT_EQ(room_needed(GetParam().files, GetParam().cluster), GetParam().needed)
        << GetParam().what;
}

// The record of one or two short paths fits in one cluster of 4,096 bytes.
INSTANTIATE_TEST_SUITE_P(
    Updates, Room,
    testing::Values(
        Croom_case{"nothing to copy, no record", {}, 4096, 0},
        Croom_case{"a new file", {{L"a", 1, false, 0}}, 4096, 4096 + 4096},
        Croom_case{"a replaced file counts whole, the old one stays", {{L"a", 4000, true, 100}},
                   4096, 4096 + 4096},
        Croom_case{"a file of a cluster and a byte", {{L"a", 4097, true, 4096}}, 4096,
                   8192 + 4096},
        Croom_case{"a file that shrinks frees nothing for others",
                   {{L"a", 100, true, 100000}, {L"b", 5000, false, 0}}, 4096,
                   4096 + 8192 + 4096},
        Croom_case{"two 5 MiB files replaced need 10 MiB, though nothing grows",
                   {{L"a", 5242880, true, 5242880}, {L"b", 5242880, true, 5242880}}, 4096,
                   10485760 + 4096},
        Croom_case{"the same path twice counts once, with its larger size",
                   {{L"dir\\a", 10000, false, 0}, {L"DIR\\A", 20000, false, 0}}, 4096,
                   20480 + 4096},
        Croom_case{"files of no bytes still have their record",
                   {{L"a", 0, false, 0}, {L"b", 0, true, 0}}, 4096, 4096},
        Croom_case{"no cluster size known: the record's bytes", {{L"a", 10, true, 4}}, 0,
                   10 + (64 + 1 + 24) * 2}));

// The record grows with the paths it names: each line of a file, each folder once.
TEST(Room, TheRecordOfManyFilesTakesMoreClusters)
{
    std::vector<Croom_file> files;
    for (int i = 0; i < 1000; ++i)
        files.push_back({L"C:\\Games\\data\\file" + std::to_wstring(i) + L".dat", 0, false, 0});
    std::vector<std::wstring> paths;
    for (const Croom_file& file : files)
        paths.push_back(file.dest_path);
    const std::uint64_t bytes = run_record_bytes(paths);
    EXPECT_GT(bytes, 1000u * 2 * 20);
    EXPECT_EQ(room_needed(files, 4096), (bytes + 4095) / 4096 * 4096);
}

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
