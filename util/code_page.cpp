#include "util/code_page.h"

#include <windows.h>

#include <cstring>

std::wstring ansi_to_wide(const char* bytes, int count)
{
    if (count <= 0)
        return std::wstring();
    // Up to the first zero byte, converted straight into the result: a large text
    // is held once as bytes and once as wide characters, never more.
    const void* zero = std::memchr(bytes, '\0', static_cast<std::size_t>(count));
    const int length = zero ? static_cast<int>(static_cast<const char*>(zero) - bytes) : count;
    if (length == 0)
        return std::wstring();
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, length, &wide[0], needed);
    return wide;
}

bool utf8_to_wide(const char* bytes, int count, std::wstring& wide)
{
    wide.clear();
    if (count <= 0)
        return true;
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0);
    if (needed <= 0)
        return false;
    wide.assign(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count, &wide[0], needed);
    return true;
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
