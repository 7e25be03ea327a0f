#include "check/console.h"

#include <algorithm>

namespace {

void write_console(HANDLE handle, const std::wstring& text)
{
    // WriteConsoleW takes a limited count at a time on old systems; write in pieces.
    constexpr std::size_t piece = 8192;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const DWORD count = static_cast<DWORD>(std::min(piece, text.size() - at));
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.data() + at, count, &written, nullptr))
            return;
    }
}

void write_utf8(HANDLE handle, const std::wstring& text)
{
    if (text.empty())
        return;
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return;
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], needed,
                        nullptr, nullptr);
    for (std::size_t at = 0; at < utf8.size();) {
        DWORD written = 0;
        if (!WriteFile(handle, utf8.data() + at, static_cast<DWORD>(utf8.size() - at), &written,
                       nullptr) ||
            written == 0)
            return;
        at += written;
    }
}

}  // namespace

std::wstring with_crlf(const std::wstring& text)
{
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\n')
            result += L'\r';
        result += c;
    }
    return result;
}

void write_text(DWORD which, const std::wstring& text)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode))
        write_console(handle, with_crlf(text));
    else
        write_utf8(handle, with_crlf(text));
}
