#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "config/checks.h"
#include "config/digest_list.h"
#include "current_folder.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"

namespace {

using Cnames = std::vector<std::wstring>;

// sha256("abc"), as sha256sum prints it and in capitals.
const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string abc_upper = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";

struct Cread {
    int line;
    std::wstring path;
};

struct Cform {
    const char* name;
    std::string bytes;
    std::vector<Cread> digests;  // every one has the digest of "abc"
    std::vector<int> bad_lines;
};

std::vector<Cform> forms()
{
    return {
        {"text mode: two spaces", abc + "  data.arc\n", {{1, L"data.arc"}}, {}},
        {"binary mode: a space and *", abc + " *data.arc\n", {{1, L"data.arc"}}, {}},
        {"upper-case digits", abc_upper + "  data.arc\n", {{1, L"data.arc"}}, {}},
        {"folders split by / and by \\",
         abc + "  scenario/bg/title.png\n" + abc + "  scenario\\chapter1.scn\n",
         {{1, L"scenario/bg/title.png"}, {2, L"scenario\\chapter1.scn"}}, {}},
        {"CR LF", abc + "  a.dat\r\n" + abc + "  b.dat\r\n", {{1, L"a.dat"}, {2, L"b.dat"}}, {}},
        {"no line feed at the end", abc + "  a.dat", {{1, L"a.dat"}}, {}},
        {"a byte-order mark", "\xEF\xBB\xBF" + abc + "  a.dat\n", {{1, L"a.dat"}}, {}},
        {"blank lines", "\n" + abc + "  a.dat\n\r\n  \t\n" + abc + "  b.dat\n\n",
         {{2, L"a.dat"}, {5, L"b.dat"}}, {}},
        {"a UTF-8 path", abc + "  \xE3\x83\x99\xE3\x83\xAD\xE3\x83\x83\xE3\x82\xAF.arc\n",
         {{1, L"\u30d9\u30ed\u30c3\u30af.arc"}}, {}},
        {"a path with spaces, kept whole", abc + "  my data .arc\n", {{1, L"my data .arc"}}, {}},
        {"empty", "", {}, {}},
        {"a short digest", abc.substr(1) + "  a.dat\n", {}, {1}},
        {"a long digest", abc + "0  a.dat\n", {}, {1}},
        {"a digit that is not hexadecimal", "g" + abc.substr(1) + "  a.dat\n", {}, {1}},
        {"a missing path", abc + "  \n" + abc + " *\n" + abc + "\n", {}, {1, 2, 3}},
        {"one space only", abc + " a.dat\n", {}, {1}},
        {"a tab for the space", abc + "\t a.dat\n", {}, {1}},
        {"indented", " " + abc + "  a.dat\n", {}, {1}},
        {"sha256sum's escaped form", "\\" + abc + "  a\\\\b.dat\n", {}, {1}},
        {"the tagged form", "SHA256 (a.dat) = " + abc + "\n", {}, {1}},
        {"a path that is not UTF-8", abc + "  \x83\x5C.dat\n", {}, {1}},
        {"a zero byte in the path", abc + "  a" + std::string(1, '\0') + "b\n", {}, {1}},
        {"a good line among bad ones", "x\n" + abc + "  a.dat\n# note\n", {{2, L"a.dat"}}, {1, 3}},
        {"a byte-order mark only at the start", abc + "  a.dat\n\xEF\xBB\xBF" + abc + "  b.dat\n",
         {{1, L"a.dat"}}, {2}},
    };
}

TEST(Digest_list, reads_the_forms_sha256sum_writes_and_numbers_every_other_line)
{
    Csha256_digest abc_digest{};
    const std::wstring digits(abc.begin(), abc.end());
    ASSERT_TRUE(digest_from_hex(digits.c_str(), digits.size(), abc_digest));
    for (const Cform& form : forms()) {
        const Cdigest_list list = parse_digest_list(form.bytes);
        EXPECT_EQ(list.status, Cdigest_list_status::read) << form.name;
        EXPECT_EQ(list.bad_lines, form.bad_lines) << form.name;
        ASSERT_EQ(list.digests.size(), form.digests.size()) << form.name;
        for (std::size_t i = 0; i < form.digests.size(); ++i) {
            EXPECT_EQ(list.digests[i].line, form.digests[i].line) << form.name;
            EXPECT_EQ(list.digests[i].path, form.digests[i].path) << form.name;
            EXPECT_TRUE(list.digests[i].digest == abc_digest) << form.name;
        }
    }
}

class Read_update_digests : public testing::Test {
protected:
    void SetUp() override
    {
        update_info = Cupdate_info();
        update_info.game_title = L"ゲーム";
    }
    void TearDown() override { update_info = Cupdate_info(); }

    bool read()
    {
        Ccurrent_folder current(folder.path());
        return read_update_digests();
    }

    Ctemp_folder folder;
    Crecording_boxes boxes;
};

TEST_F(Read_update_digests, without_the_file_nothing_is_expected)
{
    EXPECT_TRUE(read());
    EXPECT_FALSE(update_info.has_digest_list);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Read_update_digests, keeps_every_line_of_a_good_list)
{
    write_file(folder / L"gamedata.sha256", abc + "  a.dat\r\n\r\n" + abc + " *sub/b.dat\r\n");
    EXPECT_TRUE(read());
    EXPECT_TRUE(update_info.has_digest_list);
    ASSERT_EQ(update_info.listed_digests.size(), 2u);
    EXPECT_EQ(update_info.listed_digests[1].path, L"sub/b.dat");
    EXPECT_EQ(update_info.listed_digests[1].line, 3);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Read_update_digests, an_empty_list_is_a_list)
{
    write_file(folder / L"gamedata.sha256", "");
    EXPECT_TRUE(read());
    EXPECT_TRUE(update_info.has_digest_list);
    EXPECT_TRUE(update_info.listed_digests.empty());
}

TEST_F(Read_update_digests, names_the_first_line_not_of_the_form)
{
    write_file(folder / L"gamedata.sha256", abc + "  a.dat\n\n" + abc.substr(2) + "  b.dat\nx\n");
    EXPECT_FALSE(read());
    EXPECT_EQ(boxes.texts(), (Cnames{L"gamedata.sha256 の 3 行目を読み取れません。", msg::update_failed}));
    EXPECT_FALSE(update_info.has_digest_list);
    for (const Cshown_box& box : boxes.shown()) {
        EXPECT_EQ(box.caption, L"ゲーム");
        EXPECT_EQ(box.style, UINT(MB_OK | MB_ICONWARNING));
    }
}

TEST_F(Read_update_digests, a_list_that_cannot_be_read_stops_the_update)
{
    CreateDirectoryW((folder / L"gamedata.sha256").c_str(), nullptr);
    EXPECT_FALSE(read());
    EXPECT_EQ(boxes.texts(), (Cnames{L"gamedata.sha256 を読み込めませんでした。", msg::update_failed}));
    EXPECT_FALSE(update_info.has_digest_list);
}

}  // namespace
