// libFuzzer target: update.ini as saved, through the reading of lines, the reader of
// key lines and every lint of the publisher's check, built for the host with the
// address and undefined-behaviour sanitizers (scripts/fuzz). Besides memory errors
// it stops on any broken promise: a line count that differs from the line feeds,
// a finding about a line the file does not have, an empty finding, or a reading
// that differs from the updater's own line by line reading.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/ini_lint.h"
#include "config/ini_line.h"
#include "config/scanner.h"
#include "config/text_file.h"

namespace {

constexpr unsigned code_page_932 = 932;

void require(bool promise)
{
    if (!promise)
        std::abort();
}

// What a C run-time stream in text mode delivers: CR LF folded to LF, 0x1A ends.
std::string as_text_mode(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i];
    }
    return text;
}

std::size_t count_of(const std::string& bytes, char c, std::size_t end)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < end && i < bytes.size(); ++i)
        count += bytes[i] == c ? 1 : 0;
    return count;
}

// The updater's reading: every line through read_ini_line, the last key winning.
void check_same_reading(const std::vector<std::wstring>& lines, const Cini_reading& reading)
{
    std::wstring reg_path;
    std::wstring game_title;
    std::vector<std::wstring> entries;
    for (const std::wstring& line : lines) {
        Cini_line read = read_ini_line(line);
        if (read.key == Cini_key::reg_path)
            reg_path = read.value;
        else if (read.key == Cini_key::game_title)
            game_title = read.value;
        else if (read.key == Cini_key::copy_file)
            entries.push_back(read.value);
    }
    require(reading.reg_path.value == reg_path && reading.game_title.value == game_title);
    require(reading.entries.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int line = reading.entries[i].line;
        require(reading.entries[i].value == entries[i]);
        require(line >= 1 && static_cast<std::size_t>(line) <= lines.size());
    }
}

// The scanner's other directives over each line: whatever they read, the cursor
// stays inside the line.
void scan_line(const std::wstring& line)
{
    for (const wchar_t* pattern : {L"%d", L"# %s = %d", L"%s%s", L" = %s //"}) {
        Cscanner scanner(ini_line_blanks, line.data(), line.data() + line.size());
        std::int32_t number = 0;
        std::wstring text;
        std::wstring more;
        scanner.scan(pattern, {text, number, more});
        scanner.scan(pattern, {number, text, more});
        require(scanner.cursor() >= line.data() && scanner.cursor() <= line.data() + line.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = as_text_mode(bytes);
    std::vector<std::wstring> lines;
    split_ansi_lines(text, lines);
    require(lines.size() == 1 + count_of(text, '\n', text.find('\0')));

    const Cini_reading reading = read_ini_lines(lines);
    check_same_reading(lines, reading);
    Cfindings findings;
    lint_ini_bytes(bytes, lines, code_page_932, findings);
    lint_ini_lines(lines, findings);
    const std::size_t raw_lines = 1 + count_of(bytes, '\n', bytes.size());
    for (const Cfinding& finding : findings) {
        require(finding.line >= 0 && static_cast<std::size_t>(finding.line) <= raw_lines);
        require(!finding.text.empty());
    }
    for (const std::wstring& line : lines)
        scan_line(line);
    return 0;
}
