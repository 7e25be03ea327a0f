#include "publish/update_files.h"

#include <windows.h>

#include <algorithm>

#include "config/ini_line.h"
#include "config/patch_sources.h"
#include "util/code_page.h"

namespace {

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr,
                                           nullptr);
    if (needed <= 0)
        return std::string();
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &bytes[0], needed, nullptr, nullptr);
    return bytes;
}

// A key line in the form the reader's pattern gives ("#KEY = %s").
std::wstring key_line(Cini_key key, const std::wstring& value)
{
    std::wstring line = ini_key_pattern(key);
    line.replace(line.find(L"%s"), 2, L"\"" + escaped_ini_value(value) + L"\"");
    return line + L"\r\n";
}

bool covers_a_patch(const std::wstring& entry, const std::vector<std::wstring>& patched_files)
{
    return std::any_of(patched_files.begin(), patched_files.end(), [&](const std::wstring& patched) {
        return copy_entry_covers_patch(entry, patched);
    });
}

// The highest folder above `file` that the updater may copy whole, else the file.
Cupdate_entry entry_copying(const std::wstring& file, const std::vector<std::wstring>& patched_files)
{
    for (std::size_t separator = file.find(L'\\'); separator != std::wstring::npos;
         separator = file.find(L'\\', separator + 1)) {
        const std::wstring folder = file.substr(0, separator);
        if (!covers_a_patch(folder, patched_files))
            return {folder, true};
    }
    return {file, false};
}

}  // namespace

std::vector<Cupdate_entry> top_level_entries(const std::vector<std::wstring>& files)
{
    return copy_entries(files, {});
}

std::vector<Cupdate_entry> copy_entries(const std::vector<std::wstring>& whole_files,
                                        const std::vector<std::wstring>& patched_files)
{
    std::vector<Cupdate_entry> entries;
    for (const std::wstring& file : whole_files) {
        const Cupdate_entry entry = entry_copying(file, patched_files);
        const bool listed = std::any_of(entries.begin(), entries.end(), [&](const Cupdate_entry& e) {
            return e.name == entry.name;
        });
        if (!listed)
            entries.push_back(entry);
    }
    return entries;
}

std::wstring escaped_ini_value(const std::wstring& value)
{
    std::wstring escaped;
    for (const wchar_t c : value) {
        if (c == L'\\' || c == L'"')
            escaped += L'\\';
        escaped += c;
    }
    return escaped;
}

std::wstring update_ini_text(const Cupdate_ini& ini)
{
    std::wstring text = L"// " + ini.comment + L"\r\n";
    text += key_line(Cini_key::reg_path, ini.reg_path);
    text += key_line(Cini_key::game_title, ini.game_title);
    for (const Cupdate_entry& entry : ini.entries)
        text += key_line(Cini_key::copy_file, entry.name);
    for (const std::wstring& patch : ini.patches)
        text += key_line(Cini_key::patch_file, patch);
    return text;
}

bool update_ini_bytes(const std::wstring& text, std::string& bytes)
{
    return wide_to_code_page(update_ini_code_page, text, bytes);
}

std::string sha256_list_bytes(const std::vector<Cfile_digest>& digests)
{
    std::wstring text;
    for (const Cfile_digest& file : digests) {
        std::wstring path = file.path;
        std::replace(path.begin(), path.end(), L'\\', L'/');
        text += digest_to_hex(file.digest) + L"  " + path + L"\n";
    }
    return utf8(text);
}
