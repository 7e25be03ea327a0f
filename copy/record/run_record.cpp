#include "copy/record/run_record.h"

#include <windows.h>

#include "util/file.h"
#include "util/path.h"

const wchar_t* const run_record_name = L"update~record.txt";

namespace {

const wchar_t* const draft_suffix = L".new";

}  // namespace

namespace {

const wchar_t* const header = L"update run record 1";
const wchar_t* const done_line = L"done";
const wchar_t* const read_only_mark = L"read-only";
constexpr wchar_t byte_order_mark = 0xFEFF;

// Writes the text into a new file and flushes it.
bool write_flushed(const std::wstring& path, const std::wstring& text)
{
    Chandle file = open_file(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (!file.is_open())
        return false;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), bytes, &written, nullptr) && written == bytes &&
           FlushFileBuffers(file.get()) && file.close();
}

// The renamed record on the disk: write-through makes the rename itself durable,
// and a flush of the file under its new name puts its directory entry there on file
// systems that keep no journal.
bool rename_into_place(const std::wstring& draft, const std::wstring& path)
{
    if (!MoveFileExW(long_path(draft).c_str(), long_path(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    Chandle file = open_file(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return file.is_open() && FlushFileBuffers(file.get()) && file.close();
}

std::wstring record_text(const Crun_record& record);

bool write_whole(const std::wstring& path, const Crun_record& record)
{
    const std::wstring draft = run_record_draft_path(path);
    return write_flushed(draft, record_text(record)) && rename_into_place(draft, path);
}

bool read_all(const std::wstring& path, std::wstring& text, bool& missing)
{
    Chandle file = open_file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL);
    if (!file.is_open()) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart % 2 != 0 ||
        size.QuadPart > 256 * 1024 * 1024)
        return false;
    text.assign(static_cast<std::size_t>(size.QuadPart / 2), L'\0');
    DWORD got = 0;
    return text.empty() ||
           (ReadFile(file.get(), &text[0], static_cast<DWORD>(size.QuadPart), &got, nullptr) &&
            got == size.QuadPart);
}

std::vector<std::wstring> split(const std::wstring& text, const std::wstring& separator)
{
    std::vector<std::wstring> parts;
    std::wstring::size_type start = 0;
    for (;;) {
        const std::wstring::size_type end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos)
            return parts;
        start = end + separator.size();
    }
}

// A path the record may name: below the installation folder, never above it or
// on another drive, whatever was written into the file.
bool is_relative_below(const std::wstring& path)
{
    if (path.empty() || path.find(L':') != std::wstring::npos || path.find(L'/') != std::wstring::npos)
        return false;
    for (const std::wstring& part : split(path, L"\\")) {
        if (part.empty() || part == L"." || part == L"..")
            return false;
    }
    return true;
}

bool parse_index(const std::wstring& text, std::size_t& index)
{
    if (text.empty() || text.size() > 9)
        return false;
    index = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        index = index * 10 + static_cast<std::size_t>(c - L'0');
    }
    return true;
}

bool parse_line(const std::wstring& line, Crun_record& record)
{
    const std::vector<std::wstring> fields = split(line, L"\t");
    if (record.done)
        return false;  // nothing follows "done"
    if (fields.size() == 1 && fields[0] == done_line) {
        record.done = true;
        return true;
    }
    if (fields.size() == 2 && fields[0] == L"folder" && is_relative_below(fields[1])) {
        record.folders.push_back(fields[1]);
        return true;
    }
    Crecorded_file file;
    file.replaces = fields[0] == L"replace";
    file.read_only = file.replaces && fields.size() == 4 && fields[3] == read_only_mark;
    if ((fields.size() != 3 && !file.read_only) || (!file.replaces && fields[0] != L"add") ||
        !parse_index(fields[1], file.index) || !is_relative_below(fields[2]))
        return false;
    file.relative = fields[2];
    record.files.push_back(file);
    return true;
}

}  // namespace

namespace {

std::wstring record_text(const Crun_record& record)
{
    std::wstring text(1, byte_order_mark);
    text += header;
    text += L"\r\n";
    for (const std::wstring& folder : record.folders)
        text += L"folder\t" + folder + L"\r\n";
    for (const Crecorded_file& file : record.files) {
        text += file.replaces ? L"replace\t" : L"add\t";
        text += std::to_wstring(file.index) + L"\t" + file.relative;
        if (file.replaces && file.read_only)
            text += std::wstring(L"\t") + read_only_mark;
        text += L"\r\n";
    }
    if (record.done)
        text += std::wstring(done_line) + L"\r\n";
    return text;
}

}  // namespace

std::wstring run_record_path(const std::wstring& dest_dir)
{
    return join_path(dest_dir, run_record_name);
}

std::wstring run_record_draft_path(const std::wstring& record_path)
{
    return record_path + draft_suffix;
}

bool write_run_record(const std::wstring& path, const Crun_record& record)
{
    return write_whole(path, record);
}

bool mark_run_record_done(const std::wstring& path, const Crun_record& record)
{
    Crun_record done = record;
    done.done = true;
    return write_whole(path, done);
}

Crecord_read read_run_record(const std::wstring& path, Crun_record& record)
{
    record = Crun_record();
    std::wstring text;
    bool missing = false;
    if (!read_all(path, text, missing))
        return missing ? Crecord_read::none : Crecord_read::unreadable;
    const std::wstring first = std::wstring(1, byte_order_mark) + header + L"\r\n";
    if (text.compare(0, first.size(), first) != 0 || text.size() < 2 ||
        text.compare(text.size() - 2, 2, L"\r\n") != 0)
        return Crecord_read::unreadable;  // not ours, or cut off in the middle of a line
    const std::wstring body = text.substr(first.size(), text.size() - first.size() - 2);
    if (!body.empty()) {
        for (const std::wstring& line : split(body, L"\r\n")) {
            if (!parse_line(line, record))
                return Crecord_read::unreadable;
        }
    }
    return Crecord_read::read;
}
