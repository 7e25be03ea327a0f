#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/scanner.h"

namespace {

const wchar_t* const line_blanks = L" \t\n";

// A scanner over a line that the test keeps alive.
struct Cline {
    explicit Cline(std::wstring text, std::wstring blanks = line_blanks)
        : text(std::move(text)), scanner(blanks, this->text.data(), this->text.data() + this->text.size())
    {
    }
    size_t position() const { return static_cast<size_t>(scanner.cursor() - text.data()); }

    std::wstring text;
    Cscanner scanner;
};

TEST(Scanner, key_pattern_matches_lines_with_any_blanks_and_trailing_text)
{
    const wchar_t* const lines[] = {
        L"#REG_PATH=\"a\"",
        L"#REG_PATH = \"a\"",
        L"#REG_PATH\t=\t\"a\"",
        L"#REG_PATH  \t=  \"a\"  // comment",
        L"#REG_PATH = \"a\"\"b\"",
    };
    for (const wchar_t* text : lines) {
        Cline line(text);
        std::wstring value = L"old";
        EXPECT_TRUE(line.scanner.scan(L"#REG_PATH = %s", {value})) << text;
        EXPECT_EQ(value, L"a") << text;
    }
}

TEST(Scanner, key_pattern_refuses_malformed_lines_and_leaves_cursor_and_value)
{
    const wchar_t* const lines[] = {
        L"#REG_PATH = ",     // nothing after the blanks
        L"#REG_PATH =",      // nothing after '='
        L"#REG_PATH = a",    // no quotes
        L"#REG_PATH = \"a",  // no closing quote
        L"#REG_PATH = \"a\\\"",  // the last quote is escaped
        L" #REG_PATH = \"a\"",   // indented
        L"#reg_path = \"a\"",    // other case
        L"#REG_PATHS = \"a\"",
        L"",
    };
    for (const wchar_t* text : lines) {
        Cline line(text);
        std::wstring value = L"old";
        EXPECT_FALSE(line.scanner.scan(L"#REG_PATH = %s", {value})) << text;
        EXPECT_EQ(line.position(), 0u) << text;
        EXPECT_EQ(value, L"old") << text;
    }
}

TEST(Scanner, quoted_values_and_their_escapes)
{
    struct {
        const wchar_t* subject;
        const wchar_t* value;
    } const cases[] = {
        {L"\"\"", L""},
        {L"\"a\\\\b\"", L"a\\b"},          // doubled backslash: one backslash
        {L"\"a\\\"b\"", L"a\"b"},          // escaped quote does not end the value
        {L"\"a\\nb\"", L"anb"},            // no special escapes
        {L"\"Maker\\Game\"", L"MakerGame"},  // a single backslash is lost
        {L"\"ソ表予\"", L"ソ表予"},
        {L"\"  spaced \"", L"  spaced "},
    };
    for (const auto& c : cases) {
        Cline line(c.subject);
        std::wstring value;
        EXPECT_TRUE(line.scanner.get_quoted(value)) << c.subject;
        EXPECT_EQ(value, c.value) << c.subject;
        EXPECT_EQ(line.position(), line.text.size()) << c.subject;
    }
}

TEST(Scanner, unfinished_quotes_fail_without_consuming)
{
    for (const wchar_t* text : {L"\"abc", L"\"abc\\", L"\"", L"abc\"", L" \"a\""}) {
        Cline line(text);
        std::wstring value = L"old";
        EXPECT_FALSE(line.scanner.get_quoted(value)) << text;
        EXPECT_EQ(value, L"old") << text;
        EXPECT_EQ(line.position(), 0u) << text;
    }
    Cline line(L" \t\"a\"");
    std::wstring value;
    EXPECT_TRUE(line.scanner.skip_get_quoted(value));
    EXPECT_EQ(value, L"a");
}

TEST(Scanner, comment_pattern_is_anchored_at_the_cursor)
{
    Cline comment(L"// a comment");
    EXPECT_TRUE(comment.scanner.scan(L"//"));
    EXPECT_EQ(comment.position(), 2u);
    Cline indented(L" // a comment");
    EXPECT_FALSE(indented.scanner.scan(L"//"));
    Cline single(L"/ a");
    EXPECT_FALSE(single.scanner.scan(L"//"));
}

TEST(Scanner, is_end_only_when_blanks_remain)
{
    struct {
        const wchar_t* text;
        bool end;
        size_t position_after;
    } const cases[] = {
        {L"", true, 0}, {L" \t \t", true, 4}, {L"\n", true, 1}, {L"a", false, 0}, {L"  a", false, 0},
        {L"\r", false, 0},  // CR is not a blank of the reader's set
    };
    for (const auto& c : cases) {
        Cline line(c.text);
        EXPECT_EQ(line.scanner.is_end(), c.end) << c.text;
        EXPECT_EQ(line.position(), c.position_after) << c.text;
    }
    Cline no_blanks(L" ", L"");
    EXPECT_FALSE(no_blanks.scanner.is_end());
}

TEST(Scanner, skip_blanks_needs_a_character_after_the_blanks)
{
    Cline trailing(L"  ");
    EXPECT_FALSE(trailing.scanner.skip_blanks());
    EXPECT_EQ(trailing.position(), 0u);
    Cline before_letter(L" \tx");
    EXPECT_TRUE(before_letter.scanner.skip_blanks());
    EXPECT_EQ(before_letter.position(), 2u);
}

TEST(Scanner, integers)
{
    struct {
        const wchar_t* text;
        bool ok;
        std::int32_t value;
        size_t position_after;
    } const cases[] = {
        {L"5", true, 5, 1},
        {L"+5", true, 5, 2},
        {L"-5", true, -5, 2},
        {L" - 5", true, -5, 4},
        {L"+ 5", true, 5, 3},
        {L"\t42x", true, 42, 3},
        {L"007", true, 7, 3},
        {L"2147483648", true, -2147483647 - 1, 10},
        {L"12345678901", true, -539222987, 11},  // modulo 2^32, taken as signed
        {L"+-5", false, 0, 0},
        {L"-", false, 0, 0},
        {L"- ", false, 0, 0},
        {L"", false, 0, 0},
        {L"x5", false, 0, 0},
        {L"  ", false, 0, 0},
    };
    for (const auto& c : cases) {
        Cline line(c.text);
        std::int32_t value = 0;
        EXPECT_EQ(line.scanner.get_int(value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
        EXPECT_EQ(line.position(), c.position_after) << c.text;
    }
    Cline blank_first(L" 5");
    std::uint32_t unsigned_value = 0;
    EXPECT_FALSE(blank_first.scanner.get_uint(unsigned_value));  // no blank skipping
}

TEST(Scanner, characters)
{
    Cline line(L" ab");
    wchar_t c = L'?';
    EXPECT_FALSE(line.scanner.match_char(L'a'));
    EXPECT_TRUE(line.scanner.skip_match_char(L'a'));
    EXPECT_FALSE(line.scanner.skip_match_char(L'x'));
    EXPECT_EQ(line.position(), 2u);
    EXPECT_TRUE(line.scanner.get_char(c));
    EXPECT_EQ(c, L'b');
    EXPECT_FALSE(line.scanner.get_char(c));
    EXPECT_EQ(c, L'\0');
    Cline blanks_only(L"  ");
    EXPECT_FALSE(blanks_only.scanner.skip_get_char(c));
    EXPECT_EQ(blanks_only.position(), 0u);
}

TEST(Scanner, directives_fill_outputs_in_order)
{
    Cline line(L"size 12, \"name\" rest");
    std::int32_t number = 0;
    std::wstring text;
    EXPECT_TRUE(line.scanner.scan(L"size %d, %s", {number, text}));
    EXPECT_EQ(number, 12);
    EXPECT_EQ(text, L"name");
    EXPECT_EQ(line.text.substr(line.position()), L" rest");
}

TEST(Scanner, odd_percent_signs)
{
    struct {
        const wchar_t* pattern;
        const wchar_t* subject;
        bool ok;
        size_t position_after;
    } const cases[] = {
        {L"ab%", L"abc", true, 2},   // a lone '%' at the end ends the pattern
        {L"a%%b", L"ab", true, 2},   // "%%" matches nothing
        {L"a%%b", L"a%b", false, 0},
        {L"a%xb", L"ab", true, 2},
        {L"", L"abc", true, 0},
        {L"a\tb", L"a b", false, 0},  // only the space is a blank in a pattern
        {L"a\tb", L"a\tb", true, 3},
    };
    for (const auto& c : cases) {
        Cline line(c.subject);
        EXPECT_EQ(line.scanner.scan(c.pattern), c.ok) << c.pattern << L" / " << c.subject;
        EXPECT_EQ(line.position(), c.position_after) << c.pattern << L" / " << c.subject;
    }
}

TEST(Scanner, failed_scan_rewinds_but_keeps_earlier_outputs_so_another_pattern_can_follow)
{
    Cline line(L"#COPY_FILE = 7 \"x\"");
    std::int32_t number = 0;
    std::wstring text = L"old";
    EXPECT_FALSE(line.scanner.scan(L"#COPY_FILE = %d y %s", {number, text}));
    EXPECT_EQ(number, 7);
    EXPECT_EQ(text, L"old");
    EXPECT_EQ(line.position(), 0u);
    EXPECT_TRUE(line.scanner.scan(L"#COPY_FILE = %d %s", {number, text}));
    EXPECT_EQ(text, L"x");
}

TEST(Scanner, a_directive_without_a_fitting_destination_fails)
{
    Cline line(L"5 \"a\"");
    std::wstring text;
    std::int32_t number = 0;
    EXPECT_FALSE(line.scanner.scan(L"%d"));
    EXPECT_FALSE(line.scanner.scan(L"%d", {text}));
    EXPECT_FALSE(line.scanner.scan(L"%d %s", {number}));
    EXPECT_EQ(line.position(), 0u);
}

}  // namespace
