// The update data checked against gamedata.sha256: the list's paths matched to the
// plan's, every copied file listed, and each file's bytes hashed as they are copied
// and compared before the file replaces anything.

#include "copy/digest/expected_digests.h"
#include "copy/digest/digest_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "session/messages.h"
#include "copy/write/copier.h"
#include "copy/plan/update_plan.h"
#include "copy/update_run.h"
#include "../copy_test_support.h"

namespace {

using Cnames = std::vector<std::wstring>;

using copy_test::digest_of;

TEST(Digest_messages, name_the_source_as_the_missing_source_message_does)
{
    EXPECT_EQ(msg::source_damaged(L"gamedata\\data.arc"),
              L"コピー元のファイル gamedata\\data.arc が壊れています。\n"
              L"アップデートのデータをもう一度入手してください。");
    EXPECT_EQ(msg::source_not_in_digest_list(L"gamedata\\data.arc"),
              L"コピー元のファイル gamedata\\data.arc は gamedata.sha256 に記載されていません。");
}

TEST(Expected_digests, match_paths_as_entries_are_matched)
{
    const Cexpected_digests expected({{L"Data.ARC", digest_of("a"), 1},
                                      {L"scenario/bg/title.png", digest_of("t"), 2},
                                      {L"./movie//op.mpg", digest_of("m"), 3},
                                      {L"\uff21.dat", digest_of("w"), 4},
                                      {L"caf\u00e9.dat", digest_of("c"), 5}});
    EXPECT_TRUE(expected.active());
    struct {
        const wchar_t* relative;
        bool listed;
    } const cases[] = {
        {L"data.arc", true},
        {L"DATA.arc", true},
        {L"scenario\\bg\\title.png", true},
        {L"SCENARIO\\BG\\TITLE.PNG", true},
        {L"movie\\op.mpg", true},
        {L"\uff21.dat", true},
        {L"\uff41.dat", false},  // full-width letters are not folded
        {L"CAF\u00c9.dat", false},
        {L"caf\u00e9.dat", true},
        {L"scenario\\bg", false},
        {L"title.png", false},
        {L"data.arc ", false},
    };
    for (const auto& c : cases) {
        const std::vector<Csha256_digest>* found = expected.find(c.relative);
        EXPECT_EQ(found != nullptr, c.listed) << c.relative;
    }
    EXPECT_TRUE(*expected.find(L"data.arc") == std::vector<Csha256_digest>{digest_of("a")});
    EXPECT_FALSE(Cexpected_digests().active());
    EXPECT_EQ(Cexpected_digests().find(L"data.arc"), nullptr);
}

TEST(Digest_check, compares_the_bytes_added_with_every_digest_listed)
{
    const std::string bytes = copy_test::pattern_bytes(2500000, 4);
    std::string changed = bytes;
    changed[1234567] ^= 0x01;
    const std::vector<Csha256_digest> right = {digest_of(bytes)};
    const std::vector<Csha256_digest> twice_apart = {digest_of(bytes), digest_of(changed)};
    struct {
        const char* name;
        const std::vector<Csha256_digest>* expected;
        const std::string* fed;
        bool matches;
    } const cases[] = {
        {"nothing expected", nullptr, &changed, true},
        {"the bytes listed", &right, &bytes, true},
        {"one bit changed", &right, &changed, false},
        {"listed twice with two digests", &twice_apart, &bytes, false},
    };
    Cdigest_check check;  // one check for every file, as the copier keeps it
    for (const auto& c : cases) {
        check.start(c.expected);
        for (std::size_t at = 0; at < c.fed->size(); at += 1000000)
            check.add(c.fed->data() + at, std::min<std::size_t>(1000000, c.fed->size() - at));
        EXPECT_EQ(check.matches(), c.matches) << c.name;
    }
    const std::vector<Csha256_digest> empty = {digest_of("")};
    check.start(&empty);
    EXPECT_TRUE(check.matches()) << "a file of no bytes";
}

// Large blocks are hashed on a thread, small ones at once: the bytes still reach the
// hash in their order, and a file left half-way does not spill into the next.
TEST(Digest_check, keeps_the_order_of_large_and_small_blocks)
{
    const std::string bytes = copy_test::pattern_bytes(3000000, 5);
    const std::vector<Csha256_digest> whole = {digest_of(bytes)};
    const std::size_t cuts[] = {0, 1000000, 1000100, 1001000, 2001000, 2001001, 3000000};
    Cdigest_check check;
    check.start(&whole);
    check.add(bytes.data(), 1000000);  // a file stopped after its first block
    check.start(&whole);
    for (std::size_t i = 0; i + 1 < std::size(cuts); ++i)
        check.add(bytes.data() + cuts[i], cuts[i + 1] - cuts[i]);
    EXPECT_TRUE(check.matches());
    check.start(&whole);
    check.add(bytes.data(), 1000000);
}  // and a check that goes with a block in its thread ends cleanly

class Digest_run : public copy_test::Copy_world {
protected:
    // Three files in the update data; the list gives their digests, or of the file
    // `damaged` the digest of its bytes before one of them was changed.
    void three_files(int damaged = -1)
    {
        update_info.copy_files = {L"a.dat", L"sub"};
        update_info.has_digest_list = true;
        update_info.listed_digests.clear();
        for (int i = 0; i < 3; ++i) {
            std::string bytes = copy_test::pattern_bytes(1500000, i);
            update_info.listed_digests.push_back({names_[i], digest_of(bytes), i + 1});
            if (i == damaged)
                bytes[1499999] ^= 0x40;
            write_file(source(names_[i]), bytes);
            write_file(dest(names_[i]), "old " + std::to_string(i));
        }
        update_info.listed_digests[1].path = L"sub/b.dat";  // as sha256sum writes it
    }

    const Cnames names_ = {L"a.dat", L"sub\\b.dat", L"sub\\c.dat"};
};

// The file that differs never replaces its target, nor does any file after it;
// its temporary file is gone.
TEST_F(Digest_run, a_damaged_file_stops_the_run_before_it_replaces_anything)
{
    for (int damaged = 0; damaged < 3; ++damaged) {
        three_files(damaged);
        boxes_.clear();
        EXPECT_FALSE(run_update()) << damaged;
        EXPECT_EQ(boxes_.texts(),
                  (Cnames{msg::source_damaged(source(names_[damaged])), msg::update_failed}));
        for (int i = damaged; i < 3; ++i) {
            EXPECT_EQ(read_file(dest(names_[i])), "old " + std::to_string(i)) << damaged;
            EXPECT_FALSE(file_exists(dest(names_[i]) + temporary_suffix)) << damaged;
        }
    }
}

// A file named by two entries is written twice to one staged file, while the check
// of its first writing may still read it back: both checks see it whole.
TEST_F(Digest_run, a_file_written_twice_is_checked_whole_both_times)
{
    for (int damaged : {-1, 0}) {
        three_files(damaged);
        update_info.copy_files = {L"a.dat", L"sub", L"A.DAT"};
        boxes_.clear();
        EXPECT_EQ(run_update(), damaged < 0) << damaged;
        if (damaged < 0) {
            EXPECT_TRUE(boxes_.texts().empty());
            EXPECT_TRUE(read_file(dest(names_[0])) == copy_test::pattern_bytes(1500000, 0));
        } else {
            EXPECT_EQ(boxes_.texts(),
                      (Cnames{msg::source_damaged(source(names_[0])), msg::update_failed}));
            EXPECT_EQ(read_file(dest(names_[0])), "old 0");
        }
    }
}

TEST_F(Digest_run, a_file_not_listed_stops_the_run_before_anything_is_written)
{
    three_files();
    update_info.listed_digests.erase(update_info.listed_digests.begin() + 2);
    EXPECT_FALSE(run_update());
    EXPECT_EQ(boxes_.texts(),
              (Cnames{msg::source_not_in_digest_list(source(L"sub\\c.dat")), msg::update_failed}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read_file(dest(names_[i])), "old " + std::to_string(i));
        EXPECT_FALSE(file_exists(dest(names_[i]) + temporary_suffix));
    }
}

}  // namespace
