#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "util/sha256.h"
#include "support/temp_folder.h"

namespace {

std::wstring hash_of(const std::string& bytes)
{
    Csha256 hash;
    Csha256_digest digest{};
    EXPECT_TRUE(hash.add(bytes.data(), bytes.size()));
    EXPECT_TRUE(hash.finish(digest));
    return digest_to_hex(digest);
}

// The digests as GNU sha256sum prints them for the same bytes.
TEST(Csha256, gives_the_digests_sha256sum_gives)
{
    EXPECT_EQ(hash_of(""), L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hash_of("abc"), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Csha256, a_file_read_in_blocks_and_fed_in_pieces_agree)
{
    const std::string million(1000000, 'a');
    const std::wstring expected = L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
    Ctemp_folder folder;
    write_file(folder / L"million.dat", million);
    Csha256_digest digest{};
    ASSERT_TRUE(sha256_of_file(folder / L"million.dat", digest));
    EXPECT_EQ(digest_to_hex(digest), expected);

    Csha256 hash;
    for (std::size_t at = 0; at < million.size(); at += 65521)
        ASSERT_TRUE(hash.add(million.data() + at, std::min<std::size_t>(65521, million.size() - at)));
    ASSERT_TRUE(hash.finish(digest));
    EXPECT_EQ(digest_to_hex(digest), expected);
    EXPECT_FALSE(sha256_of_file(folder / L"missing.dat", digest));
}

TEST(digest_from_hex, takes_64_digits_of_either_case_only)
{
    const std::wstring lower = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    std::wstring upper = lower;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    Csha256_digest digest{};
    ASSERT_TRUE(digest_from_hex(upper.c_str(), upper.size(), digest));
    EXPECT_EQ(digest_to_hex(digest), lower);
    EXPECT_FALSE(digest_from_hex(lower.c_str(), 63, digest));
    const std::wstring bad = L"g" + lower.substr(1);
    EXPECT_FALSE(digest_from_hex(bad.c_str(), bad.size(), digest));
}

}  // namespace
