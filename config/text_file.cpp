#include "config/text_file.h"

#include <windows.h>

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
    // The size counts CR LF pairs as two bytes; text mode delivers them as one, so
    // the count read is what holds.
    std::string buffer(static_cast<std::uint32_t>(file.size), '\0');
    size_t count = 0;
    if (file.stream && !buffer.empty())
        count = fread(&buffer[0], 1, buffer.size(), file.stream);
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
