#include "check/ini_lint.h"

#include <algorithm>
#include <map>

#include "check/messages.h"
#include "config/ini_line.h"
#include "config/scanner.h"
#include "util/code_page.h"
#include "util/path.h"

namespace {

const Cini_key keys[] = {Cini_key::reg_path, Cini_key::game_title, Cini_key::copy_file,
                         Cini_key::patch_file};

// A key name, '#' included, is under 20 characters; a longer name is no slip of one,
// and comparing a line of megabytes with each key would take minutes and gigabytes.
constexpr std::size_t longest_key_like_name = 19;

// "#REG_PATH" from "#REG_PATH = %s".
std::wstring key_name(Cini_key key)
{
    const std::wstring pattern = ini_key_pattern(key);
    return pattern.substr(0, pattern.find(L' '));
}

bool is_line_blank(wchar_t c)
{
    return std::wstring(ini_line_blanks).find(c) != std::wstring::npos;
}

bool is_name_char(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           c == L'_';
}

void add(Cfindings& findings, int line, Cseverity severity, const std::wstring& text)
{
    findings.push_back({line, severity, text});
}

// A line that starts, perhaps after blanks, with '#' and a name, or with the name
// of a known key without its '#'.
struct Ckey_like {
    bool indented = false;
    bool has_hash = false;
    std::wstring written;      // as in the line, with its '#' if it had one; cut after
                               // longest_key_like_name + 1 characters
    std::size_t length = 0;    // of the whole name as written
    std::wstring rest;         // what follows the name
};

bool parse_key_like(const std::wstring& line, Ckey_like& parsed)
{
    std::size_t at = 0;
    while (at < line.size() && is_line_blank(line[at]))
        ++at;
    parsed.indented = at > 0;
    parsed.has_hash = at < line.size() && line[at] == L'#';
    std::size_t end = at + (parsed.has_hash ? 1 : 0);
    while (end < line.size() && is_name_char(line[end]))
        ++end;
    parsed.length = end - at;
    parsed.written = line.substr(at, std::min(parsed.length, longest_key_like_name + 1));
    parsed.rest = line.substr(end);
    if (parsed.has_hash)
        return true;
    // Without '#' only a known key's name followed by a blank, '=' or the end.
    if (!parsed.rest.empty() && !is_line_blank(parsed.rest[0]) && parsed.rest[0] != L'=')
        return false;
    for (Cini_key key : keys) {
        if (lower_ascii_copy(L"#" + parsed.written) == lower_ascii_copy(key_name(key)))
            return true;
    }
    return false;
}

// The known key the written name was meant to be, if any: the same name in another
// case, or one a letter or two away.
bool meant_key(const std::wstring& written, Cini_key& key)
{
    const std::wstring folded = lower_ascii_copy(written);
    std::size_t best = 3;
    for (Cini_key candidate : keys) {
        const std::size_t distance = edit_distance(folded, lower_ascii_copy(key_name(candidate)));
        if (distance < best) {
            best = distance;
            key = candidate;
        }
    }
    return best <= 2;
}

// Why "= value" after a key name is not read; empty when it would be.
std::wstring value_problem(const std::wstring& rest)
{
    Cscanner scanner(ini_line_blanks, rest.data(), rest.data() + rest.size());
    if (!scanner.skip_match_char(L'='))
        return check_msg::equals_missing;
    std::wstring value;
    if (!scanner.skip_blanks() || *scanner.cursor() != L'"')
        return check_msg::value_not_quoted;
    if (scanner.get_quoted(value))
        return std::wstring();
    // A value that ends in \" most likely meant a folder's trailing backslash.
    std::wstring trimmed = rest;
    while (!trimmed.empty() && is_line_blank(trimmed.back()))
        trimmed.pop_back();
    const bool escaped_end = trimmed.size() >= 2 && trimmed.back() == L'"' &&
                             trimmed[trimmed.size() - 2] == L'\\';
    return escaped_end ? check_msg::closing_quote_escaped : check_msg::closing_quote_missing;
}

void lint_ignored_line(const std::wstring& line, int number, Cfindings& findings)
{
    Ckey_like parsed;
    if (!parse_key_like(line, parsed))
        return;
    const std::wstring written = parsed.has_hash ? parsed.written : L"#" + parsed.written;
    if (parsed.length > longest_key_like_name) {
        add(findings, number, Cseverity::warning,
            check_msg::key_name_too_long(written.substr(0, longest_key_like_name), parsed.length));
        return;
    }
    Cini_key key = Cini_key::none;
    if (!meant_key(written, key))
        return;  // an unknown key of its own, not a slip of a known one
    const std::wstring name = key_name(key);
    if (parsed.indented)
        add(findings, number, Cseverity::warning, check_msg::line_indented);
    if (!parsed.has_hash)
        add(findings, number, Cseverity::warning, check_msg::key_without_hash(name));
    else if (written != name && lower_ascii_copy(written) == lower_ascii_copy(name))
        add(findings, number, Cseverity::warning, check_msg::key_case(written, name));
    else if (written != name)
        add(findings, number, Cseverity::warning, check_msg::key_unknown(written, name));
    const std::wstring problem = value_problem(parsed.rest);
    if (!problem.empty())
        add(findings, number, Cseverity::warning, problem);
}

// True when the quoted value of a key line holds a '\' before anything but '\' or
// '"': the updater drops it without a word.
bool has_lone_backslash(const std::wstring& line, Cini_key key)
{
    Cscanner scanner(ini_line_blanks, line.data(), line.data() + line.size());
    std::wstring value;
    if (!scanner.scan(key_name(key) + L" =") || !scanner.skip_blanks())
        return false;
    const wchar_t* const first = scanner.cursor() + 1;  // after the opening quote
    if (!scanner.get_quoted(value))
        return false;
    const wchar_t* const last = scanner.cursor() - 1;  // the closing quote
    for (const wchar_t* c = first; c < last; ++c) {
        if (*c != L'\\')
            continue;
        ++c;
        if (*c != L'\\' && *c != L'"')
            return true;
    }
    return false;
}

void lint_repeated_key(const std::vector<std::wstring>& lines, Cini_key key,
                       const Cread_value& winner, Cfindings& findings)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (number != winner.line && read_ini_line(lines[i]).key == key)
            add(findings, number, Cseverity::warning,
                check_msg::key_repeated(key_name(key), winner.line, winner.value));
    }
}

// Entries that name the same thing: '/' and '\' alike, letters in either case.
std::wstring entry_identity(std::wstring entry)
{
    std::replace(entry.begin(), entry.end(), L'/', L'\\');
    return lower_ascii_copy(entry);
}

}  // namespace

std::size_t edit_distance(const std::wstring& a, const std::wstring& b)
{
    // Optimal string alignment distance over a full table; names are short.
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

Cini_reading read_ini_lines(const std::vector<std::wstring>& lines)
{
    Cini_reading reading;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Cini_line read = read_ini_line(lines[i]);
        const Cread_value value{std::move(read.value), static_cast<int>(i) + 1};
        switch (read.key) {
        case Cini_key::reg_path:
            reading.reg_path = value;
            break;
        case Cini_key::game_title:
            reading.game_title = value;
            break;
        case Cini_key::copy_file:
            reading.entries.push_back(value);
            break;
        case Cini_key::patch_file:
            reading.patches.push_back(value);
            break;
        case Cini_key::none:
            break;
        }
    }
    return reading;
}

void lint_ini_lines(const std::vector<std::wstring>& lines, Cfindings& findings)
{
    Cfindings found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const Cini_line read = read_ini_line(lines[i]);
        if (read.key == Cini_key::none)
            lint_ignored_line(lines[i], number, found);
        else if (has_lone_backslash(lines[i], read.key))
            add(found, number, Cseverity::warning, check_msg::lone_backslash(read.value));
    }
    const Cini_reading reading = read_ini_lines(lines);
    lint_repeated_key(lines, Cini_key::reg_path, reading.reg_path, found);
    lint_repeated_key(lines, Cini_key::game_title, reading.game_title, found);
    std::map<std::wstring, int> first_lines;
    for (const Cread_value& entry : reading.entries) {
        if (entry.value.empty())
            continue;  // an error of its own
        const auto first = first_lines.emplace(entry_identity(entry.value), entry.line);
        if (!first.second)
            add(found, entry.line, Cseverity::warning,
                check_msg::entry_repeated(entry.value, first.first->second));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Cfinding& a, const Cfinding& b) { return a.line < b.line; });
    findings.insert(findings.end(), found.begin(), found.end());
}

namespace {

// The number of the UTF-8 code page: a system whose ANSI code page it is reads
// UTF-8 as meant.
constexpr unsigned utf8_code_page = 65001;

bool starts_with(const std::string& bytes, const char* prefix, std::size_t length)
{
    return bytes.size() >= length && bytes.compare(0, length, prefix, length) == 0;
}

bool looks_like_utf16(const std::string& bytes)
{
    if (starts_with(bytes, "\xFF\xFE", 2) || starts_with(bytes, "\xFE\xFF", 2))
        return true;
    // Without a mark: text in the ASCII range has a zero in every other byte.
    return bytes.size() >= 2 &&
           ((bytes[0] != 0 && bytes[1] == 0) || (bytes[0] == 0 && bytes[1] != 0));
}

// The length of the UTF-8 sequence at `at` (1 for ASCII), 0 when it is not one.
std::size_t utf8_sequence(const std::string& bytes, std::size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                                          : lead >= 0xE0 && lead <= 0xEF ? 3
                                          : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80)
            return 0;
    }
    if (length == 1)
        return 1;
    const unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F) || (lead == 0xED && second > 0x9F))
        return 0;  // overlong forms, surrogates, beyond U+10FFFF
    return length;
}

// The line (from 1) of the first UTF-8 sequence beyond ASCII when the whole text is
// UTF-8, 0 otherwise.
int first_utf8_line(const std::string& text)
{
    int line = 1;
    int found = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8_sequence(text, at);
        if (length == 0)
            return 0;
        if (length > 1 && found == 0)
            found = line;
        if (text[at] == '\n')
            ++line;
        at += length;
    }
    return found;
}

int line_of(const std::string& bytes, std::size_t at)
{
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + at, '\n'));
}

// A lead byte with nothing after it on its line (a Latin-1 letter in a file saved
// elsewhere): the character cannot be read as written.
void lint_lone_lead_bytes(const std::string& text, unsigned code_page, Cfindings& findings)
{
    // Asked once per byte value rather than once per byte of a file of megabytes.
    bool lead[256];
    for (int byte = 0; byte < 256; ++byte)
        lead[byte] = is_lead_byte(code_page, static_cast<unsigned char>(byte));
    int line = 1;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte == '\n') {
            ++line;
            continue;
        }
        if (!lead[byte])
            continue;
        // Text mode reads CR LF as LF, so a CR before the line feed counts as the end.
        const std::size_t next = at + 1;
        const std::size_t after_cr = text.compare(next, 1, "\r") == 0 ? next + 1 : next;
        const bool line_ends = after_cr == text.size() || text[after_cr] == '\n';
        if (line_ends)
            add(findings, line, Cseverity::warning, check_msg::lone_lead_byte(byte));
        else
            ++at;  // its second byte, whatever it is
    }
}

bool only_blank_bytes(const std::string& bytes)
{
    return bytes.find_first_not_of(std::string("\0\x1A\r\n \t", 6)) == std::string::npos;
}

}  // namespace

void lint_ini_bytes(const std::string& bytes, const std::vector<std::wstring>& lines,
                    unsigned code_page, Cfindings& findings)
{
    if (looks_like_utf16(bytes)) {
        add(findings, 0, Cseverity::warning, check_msg::utf16_text);
        return;
    }
    const std::size_t end = bytes.find_first_of(std::string("\0\x1A", 2));
    const std::string text = bytes.substr(0, end);
    const bool has_mark = starts_with(text, "\xEF\xBB\xBF", 3);
    if (has_mark)
        add(findings, 1, Cseverity::warning, check_msg::utf8_byte_order_mark);
    const int utf8_line =
        code_page == utf8_code_page ? 0 : first_utf8_line(text.substr(has_mark ? 3 : 0));
    if (utf8_line > 0) {
        const std::size_t index = static_cast<std::size_t>(utf8_line) - 1;
        const std::wstring as_read = index < lines.size() ? lines[index] : std::wstring();
        add(findings, utf8_line, Cseverity::warning, check_msg::utf8_text(code_page, as_read));
    } else {
        lint_lone_lead_bytes(text, code_page, findings);
    }
    if (end != std::string::npos && !only_blank_bytes(bytes.substr(end)))
        add(findings, line_of(bytes, end), Cseverity::warning,
            check_msg::text_after_end_byte(bytes[end]));
}
