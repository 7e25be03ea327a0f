// The lines of update.ini as bytes, each converted on its own. Kept apart from the
// file reading so that the reading of lines builds wherever the conversion does.

#include <cstring>

#include "config/text_file.h"
#include "util/code_page.h"

void split_ansi_lines(const std::string& bytes, std::vector<std::wstring>& lines)
{
    const void* const zero = std::memchr(bytes.data(), '\0', bytes.size());
    const std::size_t end =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data())
             : bytes.size();
    std::size_t start = 0;
    for (;;) {
        const void* const feed = std::memchr(bytes.data() + start, '\n', end - start);
        const std::size_t stop =
            feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - bytes.data()) : end;
        lines.push_back(ansi_to_wide(bytes.data() + start, static_cast<int>(stop - start)));
        if (!feed)
            return;
        start = stop + 1;
    }
}
