#include "config/text_file.h"

#include <windows.h>

#include "copy/file.h"

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

std::wstring ansi_to_wide(const char* bytes, int count)
{
    if (count <= 0)
        return std::wstring();
    const std::string narrow(bytes, count);  // zero-terminated from here on
    const int needed = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(needed + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, &wide[0], needed);
    wide[needed] = L'\0';
    return std::wstring(wide.c_str());  // up to the first zero character
}

std::string wide_to_ansi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string narrow(needed + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], needed, nullptr, nullptr);
    narrow[needed] = '\0';
    return std::string(narrow.c_str());  // up to the first zero byte
}
