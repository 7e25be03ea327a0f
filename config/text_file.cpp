#include "config/text_file.h"

#include <climits>
#include <cstdio>
#include <new>

#include "util/code_page.h"
#include "util/file.h"

namespace {

// The bytes of a file as text mode delivers them ("rt": CR LF folded to LF, 0x1A
// ends the data).
bool read_text_bytes(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    Cfile file;
    if (!file.open(path, L"rt"))
        return false;
    // The conversion counts bytes in an int: a larger file cannot be held, which the
    // run reports like any other lack of memory.
    if (file.size > INT_MAX)
        throw std::bad_alloc();
    // The size counts CR LF pairs as two bytes; text mode delivers them as one, so
    // the count read is what holds.
    bytes.assign(static_cast<std::size_t>(file.size), '\0');
    std::size_t count = 0;
    if (file.stream && !bytes.empty())
        count = fread(&bytes[0], 1, bytes.size(), file.stream);
    bytes.resize(count);
    return true;
}

}  // namespace

bool read_text_lines(const std::wstring& path, std::vector<std::wstring>& lines)
{
    lines.clear();
    std::string bytes;
    if (!read_text_bytes(path, bytes))
        return false;
    split_ansi_lines(bytes, lines);
    return true;
}

bool read_text_file(const std::wstring& path, std::wstring& text)
{
    text.clear();
    std::string bytes;
    if (!read_text_bytes(path, bytes))
        return false;
    text = ansi_to_wide(bytes.data(), static_cast<int>(bytes.size()));
    return true;
}

void split_lines(const std::wstring& text, std::vector<std::wstring>& lines)
{
    std::wstring::size_type start = 0;
    for (std::wstring::size_type feed = text.find(L'\n', start); feed != std::wstring::npos;
         feed = text.find(L'\n', start)) {
        lines.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    lines.push_back(text.substr(start));
}
