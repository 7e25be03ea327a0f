#include "util/path.h"

namespace {

// Position of the dot that starts the extension, or npos when a separator or the
// start of the text comes first.
std::wstring::size_type extension_dot(const std::wstring& path)
{
    const std::wstring::size_type pos = path.find_last_of(L"\\.");
    if (pos == std::wstring::npos || path[pos] == L'\\')
        return std::wstring::npos;
    return pos;
}

}  // namespace

std::wstring join_path(const std::wstring& folder, const std::wstring& relative)
{
    return folder + L"\\" + relative;
}

std::wstring normalized_entry(const std::wstring& entry)
{
    std::wstring result;
    std::wstring part;
    for (std::wstring::size_type i = 0; i <= entry.size(); ++i) {
        const wchar_t c = i < entry.size() ? entry[i] : L'\\';
        if (c != L'\\' && c != L'/') {
            part += c;
            continue;
        }
        if (!part.empty() && part != L".")
            result += (result.empty() ? L"" : L"\\") + part;
        part.clear();
    }
    return result;
}

std::wstring digest_path_key(const std::wstring& path)
{
    return lower_ascii_copy(normalized_entry(path));
}

std::wstring path_folder(const std::wstring& path)
{
    const std::wstring::size_type pos = path.rfind(L'\\');
    return pos == std::wstring::npos ? path : path.substr(0, pos);
}

std::wstring path_file_name(const std::wstring& path)
{
    const std::wstring::size_type pos = path.rfind(L'\\');
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring path_extension(const std::wstring& path)
{
    const std::wstring::size_type dot = extension_dot(path);
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot + 1);
}

std::wstring path_without_extension(const std::wstring& path)
{
    const std::wstring::size_type dot = extension_dot(path);
    return dot == std::wstring::npos ? path : path.substr(0, dot);
}

void to_lower_ascii(std::wstring& text)
{
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 0x20);
    }
}

std::wstring lower_ascii_copy(std::wstring text)
{
    to_lower_ascii(text);
    return text;
}
