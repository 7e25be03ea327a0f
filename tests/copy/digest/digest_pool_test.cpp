// The digests of written files checked on the pool's threads: each verdict as the
// copier's own check gives it, whatever the number of threads; the failure reported
// is the first file's, not the first finished; a file is read back while its writer
// still holds it; bytes beyond the pool's bound wait rather than pile up.

#include "copy/digest/digest_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "util/file.h"
#include "../copy_test_support.h"

namespace {

using Cverdict = Cdigest_pool::Cverdict;

using copy_test::digest_of;

TEST(Digest_pool, gives_each_verdict_with_any_number_of_threads)
{
    Ctemp_folder folder;
    const std::string bytes = copy_test::pattern_bytes(2500000, 7);
    std::string changed = bytes;
    changed[2499999] ^= 0x01;
    write_file(folder / L"right.dat", bytes);
    write_file(folder / L"changed.dat", changed);
    write_file(folder / L"empty.dat", "");
    const std::vector<Csha256_digest> listed = {digest_of(bytes)};
    const std::vector<Csha256_digest> listed_twice_apart = {digest_of(bytes), digest_of(changed)};
    const std::vector<Csha256_digest> listed_empty = {digest_of("")};
    struct {
        const char* name;
        const wchar_t* file;  // null: the bytes themselves
        const std::string* bytes;
        const std::vector<Csha256_digest>* expected;
        bool fails;
        Cverdict verdict;
    } const cases[] = {
        {"bytes as listed", nullptr, &bytes, &listed, false, Cverdict::matches},
        {"bytes with one bit changed", nullptr, &changed, &listed, true, Cverdict::differs},
        {"bytes listed twice apart", nullptr, &bytes, &listed_twice_apart, true, Cverdict::differs},
        {"no bytes", nullptr, nullptr, &listed_empty, false, Cverdict::matches},
        {"a file as listed", L"right.dat", nullptr, &listed, false, Cverdict::matches},
        {"a file with one bit changed", L"changed.dat", nullptr, &listed, true, Cverdict::differs},
        {"an empty file", L"empty.dat", nullptr, &listed_empty, false, Cverdict::matches},
        {"a file that is gone", L"gone.dat", nullptr, &listed, true, Cverdict::unreadable},
    };
    for (unsigned threads : {0u, 1u, 2u}) {
        Cdigest_pool pool(threads);
        for (const auto& c : cases) {
            if (c.file)
                pool.check_file(0, folder / c.file, *c.expected);
            else if (c.bytes)
                pool.check_bytes(0, c.bytes->data(), c.bytes->size(), *c.expected);
            else
                pool.check_bytes(0, "", 0, *c.expected);
            const auto failure = pool.finish();
            ASSERT_EQ(failure.has_value(), c.fails) << c.name << ", threads " << threads;
            if (failure) {
                EXPECT_EQ(failure->verdict, c.verdict) << c.name << ", threads " << threads;
            }
        }
    }
}

// A large damaged file handed over first still hashes when small damaged ones
// after it are found: the file written first is the one named.
TEST(Digest_pool, names_the_first_file_handed_over_among_the_failures)
{
    Ctemp_folder folder;
    const std::string large = copy_test::pattern_bytes(20000000, 1);
    write_file(folder / L"large.dat", large);
    const std::vector<Csha256_digest> wrong = {digest_of("something else")};
    const std::string small = "small";
    const std::vector<Csha256_digest> right_small = {digest_of(small)};
    Cdigest_pool pool(2);
    pool.check_bytes(0, small.data(), small.size(), right_small);
    pool.check_file(1, folder / L"large.dat", wrong);
    for (std::size_t id = 2; id < 40; ++id)
        pool.check_bytes(id, small.data(), small.size(), id % 10 == 5 ? wrong : right_small);
    const auto failure = pool.finish([] {});
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->id, 1u);
    EXPECT_FALSE(pool.finish().has_value()) << "the failures are told once";
}

// The copier hands a file over while it still holds it open for the volume's flush.
TEST(Digest_pool, reads_a_file_its_writer_still_holds)
{
    Ctemp_folder folder;
    const std::wstring path = folder / L"staged.new";
    const std::string bytes = copy_test::pattern_bytes(3000000, 2);
    const Chandle writer = open_file(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(writer.is_open());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr));
    const std::vector<Csha256_digest> listed = {digest_of(bytes)};
    Cdigest_pool pool(1);
    pool.check_file(0, path, listed);
    EXPECT_FALSE(pool.finish().has_value());
}

// More bytes than the pool holds at once: the caller waits for the threads and
// every block is still checked.
TEST(Digest_pool, bytes_past_its_bound_wait_for_the_threads)
{
    const std::string block = copy_test::pattern_bytes(1000000, 3);
    const std::vector<Csha256_digest> listed = {digest_of(block)};
    Cdigest_pool pool(2);
    for (std::size_t id = 0; id < 100; ++id)
        pool.check_bytes(id, block.data(), block.size(), listed);
    EXPECT_FALSE(pool.finish().has_value());
}

}  // namespace
