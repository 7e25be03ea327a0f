#include "config/digest_list.h"

#include <windows.h>

#include <climits>

#include "util/code_page.h"
#include "util/file.h"

namespace {

constexpr std::size_t digest_digits = 64;

bool is_blank_line(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

// No file name on Windows holds a control character; a path with one is a line that
// was cut or joined.
bool is_usable_path(const std::wstring& path)
{
    if (path.empty())
        return false;
    for (const wchar_t c : path) {
        if (c < 0x20)
            return false;
    }
    return true;
}

bool read_all_bytes(const std::wstring& path, std::string& bytes)
{
    Cfile file;
    if (!file.open(path, L"rb") || file.size > INT_MAX)
        return false;
    bytes.assign(static_cast<std::size_t>(file.size), '\0');
    return bytes.empty() || fread(&bytes[0], 1, bytes.size(), file.stream) == bytes.size();
}

}  // namespace

Cdigest_line read_digest_line(const std::string& written, Clisted_digest& read)
{
    std::string line = written;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (is_blank_line(line))
        return Cdigest_line::blank;
    if (line.size() <= digest_digits + 2 || line[digest_digits] != ' ' ||
        (line[digest_digits + 1] != ' ' && line[digest_digits + 1] != '*'))
        return Cdigest_line::malformed;
    const std::wstring digits(line.begin(), line.begin() + digest_digits);
    Csha256_digest digest{};
    std::wstring path;
    const std::size_t path_start = digest_digits + 2;
    if (!digest_from_hex(digits.c_str(), digits.size(), digest) ||
        !utf8_to_wide(line.data() + path_start, static_cast<int>(line.size() - path_start), path) ||
        !is_usable_path(path))
        return Cdigest_line::malformed;
    read.path = std::move(path);
    read.digest = digest;
    return Cdigest_line::digest;
}

Cdigest_list parse_digest_list(const std::string& bytes)
{
    Cdigest_list list;
    list.status = Cdigest_list_status::read;
    const std::string byte_order_mark = "\xEF\xBB\xBF";
    std::size_t start = bytes.compare(0, byte_order_mark.size(), byte_order_mark) == 0
                            ? byte_order_mark.size()
                            : 0;
    for (int number = 1; start < bytes.size(); ++number) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        Clisted_digest read;
        switch (read_digest_line(bytes.substr(start, end - start), read)) {
        case Cdigest_line::digest:
            read.line = number;
            list.digests.push_back(std::move(read));
            break;
        case Cdigest_line::malformed:
            list.bad_lines.push_back(number);
            break;
        case Cdigest_line::blank:
            break;
        }
        start = end + 1;
    }
    return list;
}

Cdigest_list read_digest_list(const std::wstring& path)
{
    Cdigest_list list;
    const DWORD attributes = file_attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            list.status = Cdigest_list_status::unreadable;
        return list;
    }
    std::string bytes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !read_all_bytes(path, bytes)) {
        list.status = Cdigest_list_status::unreadable;
        return list;
    }
    return parse_digest_list(bytes);
}
