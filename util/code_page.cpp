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
    const int needed = MultiByteToWideChar(update_ini_code_page, 0, bytes, length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(update_ini_code_page, 0, bytes, length, &wide[0], needed);
    return wide;
}

bool is_lead_byte(unsigned code_page, unsigned char byte)
{
    return IsDBCSLeadByteEx(code_page, byte) != FALSE;
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
    const int needed = WideCharToMultiByte(update_ini_code_page, 0, text.c_str(), -1, nullptr, 0,
                                           nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string narrow(needed + 1, '\0');
    WideCharToMultiByte(update_ini_code_page, 0, text.c_str(), -1, &narrow[0], needed, nullptr,
                        nullptr);
    narrow[needed] = '\0';
    return std::string(narrow.c_str());  // up to the first zero byte
}

bool wide_to_code_page(unsigned code_page, const std::wstring& text, std::string& bytes)
{
    bytes.clear();
    if (text.empty())
        return true;
    const int length = static_cast<int>(text.size());
    BOOL used_default = FALSE;
    const int needed = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                           nullptr, 0, nullptr, &used_default);
    if (needed <= 0 || used_default)
        return false;
    bytes.assign(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(), length, &bytes[0], needed,
                        nullptr, nullptr);
    // The way back must give the same text: no character was replaced by a look-alike.
    std::wstring back(text.size() + 1, L'\0');
    const int back_length = MultiByteToWideChar(code_page, 0, bytes.data(), needed, &back[0],
                                                static_cast<int>(back.size()));
    back.resize(back_length > 0 ? static_cast<std::size_t>(back_length) : 0);
    if (back != text) {
        bytes.clear();
        return false;
    }
    return true;
}
