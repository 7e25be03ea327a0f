// The code-page conversions of util/code_page.h for the host build of the fuzz
// target, through iconv's CP932 (Windows' own is not there). Like Windows, a byte
// that is no character becomes U+30FB and the conversion goes on.

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "util/code_page.h"

namespace {

constexpr wchar_t default_char = 0x30FB;

}  // namespace

bool is_lead_byte(unsigned code_page, unsigned char byte)
{
    return code_page == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

std::wstring ansi_to_wide(const char* bytes, int count)
{
    std::wstring wide;
    if (count <= 0)
        return wide;
    const void* zero = std::memchr(bytes, '\0', static_cast<std::size_t>(count));
    std::size_t left = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes)
                            : static_cast<std::size_t>(count);
    static const iconv_t convert = iconv_open("WCHAR_T", "CP932");
    iconv(convert, nullptr, nullptr, nullptr, nullptr);  // a fresh start
    char* in = const_cast<char*>(bytes);
    while (left > 0) {
        wchar_t buffer[256];
        char* out = reinterpret_cast<char*>(buffer);
        std::size_t room = sizeof buffer;
        const std::size_t done = iconv(convert, &in, &left, &out, &room);
        wide.append(buffer, (sizeof buffer - room) / sizeof(wchar_t));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            wide += default_char;  // one byte passed over, as Windows does
            ++in;
            --left;
        }
    }
    return wide;
}

std::string wide_to_ansi(const std::wstring&)
{
    return std::string();  // not used by the reading
}
