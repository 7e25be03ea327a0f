#include "util/code_page.h"

#include <windows.h>

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
