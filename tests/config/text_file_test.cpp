#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "config/text_file.h"
#include "util/code_page.h"
#include "support/temp_folder.h"

namespace {

using Clines = std::vector<std::wstring>;

// ソ, 表 and 予 in code page 932: each has 0x5C ('\') as its second byte.
const std::string cp932_so_hyo_yo("\x83\x5C\x95\x5C\x97\x5C", 6);

Clines lines_of_file(const std::string& bytes, bool* opened = nullptr)
{
    Ctemp_folder folder;
    write_file(folder / L"text.ini", bytes);
    Clines lines = {L"left over"};
    const bool ok = read_text_lines(folder / L"text.ini", lines);
    if (opened)
        *opened = ok;
    return lines;
}

TEST(Text_file, the_test_system_uses_code_page_932)
{
    EXPECT_EQ(GetACP(), 932u);
}

TEST(Text_file, lines_as_text_mode_delivers_them)
{
    struct {
        const char* name;
        std::string bytes;
        Clines lines;
    } const cases[] = {
        {"empty file", "", {L""}},
        {"LF", "a\nb\n", {L"a", L"b", L""}},
        {"CR LF", "a\r\nb\r\n", {L"a", L"b", L""}},
        {"no final line feed", "a\r\nb", {L"a", L"b"}},
        {"lone CR stays", "a\rb\r\nc", {L"a\rb", L"c"}},
        {"0x1A ends the data", "ab\r\ncd\x1A" "ef\r\ngh", {L"ab", L"cd"}},
        {"zero byte ends the data", std::string("ab\r\ncd\0ef\r\ngh", 13), {L"ab", L"cd"}},
        {"CP932 with 0x5C second bytes", cp932_so_hyo_yo + "\r\n#X = \"" + cp932_so_hyo_yo + "\"",
         {L"ソ表予", L"#X = \"ソ表予\""}},
        {"half-width katakana", "\xB1\xB2\r\n", {L"ｱｲ", L""}},
    };
    for (const auto& c : cases) {
        bool opened = false;
        EXPECT_EQ(lines_of_file(c.bytes, &opened), c.lines) << c.name;
        EXPECT_TRUE(opened) << c.name;
    }
}

// A lead byte of code page 932 at a line end (a Latin-1 é) stays on its own line:
// the line feed is never taken as its second byte.
TEST(Text_file, a_lead_byte_at_a_line_end_keeps_the_next_line)
{
    for (const char* end : {"\n", "\r\n"}) {
        const Clines lines = lines_of_file(std::string("caf\xE9") + end + "#X = \"y\"" + end + "z");
        ASSERT_EQ(lines.size(), 3u) << end;
        EXPECT_EQ(lines[0].substr(0, 3), L"caf");
        EXPECT_EQ(lines[1], L"#X = \"y\"");
        EXPECT_EQ(lines[2], L"z");
    }
}

TEST(Text_file, missing_file_gives_false_and_an_empty_list)
{
    Ctemp_folder folder;
    Clines lines = {L"left over"};
    EXPECT_FALSE(read_text_lines(folder / L"missing.ini", lines));
    EXPECT_TRUE(lines.empty());
}

TEST(Text_file, a_utf8_byte_order_mark_is_read_as_ansi_text)
{
    const Clines lines = lines_of_file("\xEF\xBB\xBF" "ab\r\ncd");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], ansi_to_wide("\xEF\xBB\xBF", 3) + L"ab");
    EXPECT_NE(lines[0], L"ab");
    EXPECT_EQ(lines[1], L"cd");
}

TEST(Text_file, a_utf16_file_stops_at_its_first_zero_byte)
{
    const std::string utf16("\xFF\xFE" "a\0b\0\r\0\n\0c\0", 12);
    const Clines lines = lines_of_file(utf16);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], ansi_to_wide("\xFF\xFE" "a", 3));
    EXPECT_EQ(lines[0].find(L'b'), std::wstring::npos);
}

// A file past what the conversion can hold is refused as a lack of memory, before
// any of it is read (the file is sparse: nothing is written to the disk).
TEST(Text_file, a_file_it_cannot_hold_is_refused_as_out_of_memory)
{
    Ctemp_folder folder;
    const std::wstring path = folder / L"update.ini";
    ASSERT_TRUE(make_sized_file(path, 2500000000LL));
    std::wstring text;
    EXPECT_THROW(read_text_file(path, text), std::bad_alloc);
}

TEST(Text_file, conversions)
{
    EXPECT_EQ(wide_to_ansi(L""), "");
    EXPECT_EQ(wide_to_ansi(L"ソ表予"), cp932_so_hyo_yo);
    EXPECT_EQ(wide_to_ansi(L"a\\b"), "a\\b");
    EXPECT_EQ(ansi_to_wide(cp932_so_hyo_yo.data(), 6), L"ソ表予");
    EXPECT_EQ(ansi_to_wide("abc", 0), L"");
    EXPECT_EQ(ansi_to_wide("abc", -1), L"");
    EXPECT_EQ(ansi_to_wide("abc", 2), L"ab");  // only the bytes given
    EXPECT_EQ(ansi_to_wide("a\0b", 3), L"a");
}

TEST(Text_file, split_lines_appends_and_keeps_the_final_empty_line)
{
    Clines lines = {L"before"};
    split_lines(L"x\n\ny\n", lines);
    EXPECT_EQ(lines, (Clines{L"before", L"x", L"", L"y", L""}));
}

}  // namespace
