#include "copy/file_list.h"

#include <windows.h>

#include "util/path.h"

namespace {

const wchar_t* const any = L"*";

// One FindFirstFileW/FindNextFileW search, closed when it goes out of scope.
class Cfind {
public:
    explicit Cfind(const std::wstring& pattern)
        : handle_(FindFirstFileW(pattern.c_str(), &data_))
    {
    }
    ~Cfind()
    {
        if (is_open())
            FindClose(handle_);
    }
    Cfind(const Cfind&) = delete;
    Cfind& operator=(const Cfind&) = delete;

    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAW& item() const { return data_; }
    bool next() { return FindNextFileW(handle_, &data_) != FALSE; }

private:
    WIN32_FIND_DATAW data_ = {};
    HANDLE handle_;
};

bool is_dot_or_dot_dot(const wchar_t* name)
{
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

Cfile_entry make_entry(const std::wstring& relative_folder, const WIN32_FIND_DATAW& item)
{
    Cfile_entry entry;
    entry.name = relative_folder + item.cFileName;
    entry.is_folder = (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = (static_cast<std::uint64_t>(item.nFileSizeHigh) << 32) | item.nFileSizeLow;
    return entry;
}

}  // namespace

bool Cfile_list::search(const std::wstring& base_folder, const std::wstring& name_wanted,
                        const std::wstring& extension_wanted, bool with_subfolders)
{
    name_pattern = name_wanted;
    extension_pattern = extension_wanted;
    recursive = with_subfolders;
    want_files = true;
    want_folders = false;
    lower_name_pattern_ = lower_ascii_copy(name_pattern);
    lower_extension_pattern_ = lower_ascii_copy(extension_pattern);

    files.clear();  // total_size is kept: each list is searched once, from 0
    base_dir = base_folder + L"\\";
    search_folder(std::wstring());
    return !files.empty();
}

bool Cfile_list::search_folder(const std::wstring& relative_folder)
{
    Cfind find(base_dir + relative_folder + L"*");
    if (!find.is_open())
        return true;  // missing or unreadable: nothing to list, nothing to say
    do {
        const WIN32_FIND_DATAW& item = find.item();
        if (is_dot_or_dot_dot(item.cFileName))
            continue;
        Cfile_entry entry = make_entry(relative_folder, item);
        if (entry.is_folder) {
            const std::wstring subfolder = entry.name + L"\\";
            if (want_folders)
                keep(std::move(entry));
            // Depth first: the subfolder's items come right where it was met.
            if (recursive)
                search_folder(subfolder);
        } else if (want_files && matches(entry.name)) {
            keep(std::move(entry));
        }
    } while (find.next());
    return true;
}

bool Cfile_list::matches(const std::wstring& name) const
{
    if (name_pattern != any &&
        lower_ascii_copy(path_without_extension(name)) != lower_name_pattern_)
        return false;
    if (extension_pattern != any &&
        lower_ascii_copy(path_extension(name)) != lower_extension_pattern_)
        return false;
    return true;
}

void Cfile_list::keep(Cfile_entry entry)
{
    total_size += entry.size;
    files.push_back(std::move(entry));
}
