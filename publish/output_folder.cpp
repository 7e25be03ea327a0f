#include "publish/output_folder.h"

#include <windows.h>

#include "util/file.h"

Coutput_folder::~Coutput_folder()
{
    remove_written();
}

bool Coutput_folder::make_folder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t separator = path.rfind(L'\\');
    // Above a drive's root ("C:\") or a share there is nothing to make.
    if (separator != std::wstring::npos && separator > 2 && !make_folder(path.substr(0, separator)))
        return false;
    if (!CreateDirectoryW(path.c_str(), nullptr))
        return false;
    written_.push_back({path, true});
    return true;
}

bool Coutput_folder::copy_file(const std::wstring& from, const std::wstring& to)
{
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE))
        return false;
    written_.push_back({to, false});
    // A read-only file of the release would be read-only here too, and stand in the
    // way of removing it or of a second copy of the folder.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return true;
}

bool Coutput_folder::write_file(const std::wstring& path, const std::string& bytes)
{
    Chandle file = create_file(path);
    if (!file.is_open())
        return false;
    DWORD written = 0;
    const bool all = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                               nullptr) &&
                     written == bytes.size();
    return file.close() && all;
}

Chandle Coutput_folder::create_file(const std::wstring& path)
{
    Chandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.is_open())
        written_.push_back({path, false});
    return file;
}

void Coutput_folder::remove_file(const std::wstring& path)
{
    for (auto it = written_.begin(); it != written_.end(); ++it) {
        if (!it->is_folder && it->path == path) {
            written_.erase(it);
            DeleteFileW(path.c_str());
            return;
        }
    }
}

void Coutput_folder::remove_written()
{
    for (auto it = written_.rbegin(); it != written_.rend(); ++it) {
        if (it->is_folder)
            RemoveDirectoryW(it->path.c_str());
        else
            DeleteFileW(it->path.c_str());
    }
    written_.clear();
}

Cfolder_state folder_state(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Cfolder_state::missing;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Cfolder_state::file;
    WIN32_FIND_DATAW data;
    Cfind_search search(path + L"\\*", data);
    // Even an empty folder lists "." and "..": one that cannot be listed is not
    // taken for empty.
    if (!search.found_first())
        return Cfolder_state::not_empty;
    bool empty = true;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            empty = false;
    } while (empty && search.next(data));
    return empty ? Cfolder_state::empty : Cfolder_state::not_empty;
}
