#include "config/text_file.h"

#include <climits>
#include <cstdio>
#include <new>

#include "util/code_page.h"
#include "util/file.h"

bool read_text_lines(const std::wstring& path, std::vector<std::wstring>& lines)
{
    lines.clear();
    std::wstring text;
    if (!read_text_file(path, text))
        return false;
    split_lines(text, lines);
    return true;
}

bool read_text_file(const std::wstring& path, std::wstring& text)
{
    text.clear();
    Cfile file;
    if (!file.open(path, L"rt"))
        return false;
    // The conversion counts bytes in an int: a larger file cannot be held, which the
    // run reports like any other lack of memory.
    if (file.size > INT_MAX)
        throw std::bad_alloc();
    // The size counts CR LF pairs as two bytes; text mode delivers them as one, so
    // the count read is what holds.
    std::string buffer(static_cast<std::size_t>(file.size), '\0');
    std::size_t count = 0;
    if (file.stream && !buffer.empty())
        count = fread(&buffer[0], 1, buffer.size(), file.stream);
    file.close();
    text = ansi_to_wide(buffer.data(), static_cast<int>(count));
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
