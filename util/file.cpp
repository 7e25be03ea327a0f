#include "util/file.h"

#include <windows.h>

#include "util/code_page.h"
#include "util/system_dll.h"

bool Cfile::open(const std::wstring& path, const std::wstring& mode)
{
    close();
    if (_wfopen_s(&stream, path.c_str(), mode.c_str()) != 0)
        stream = nullptr;
    if (!stream)
        return false;
    _fseeki64(stream, 0, SEEK_END);
    size = _ftelli64(stream);
    _fseeki64(stream, 0, SEEK_SET);
    if (size < 0)
        size = 0;
    return true;
}

void Cfile::close()
{
    if (stream)
        fclose(stream);
    stream = nullptr;
    size = 0;
}

bool Chandle_file::close()
{
    if (!is_open())
        return true;
    const bool closed = CloseHandle(handle) != FALSE;
    handle = INVALID_HANDLE_VALUE;
    return closed;
}

bool is_link_reparse_tag(DWORD tag)
{
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

namespace {

using Cmake_sure_directory_path_exists = BOOL(WINAPI*)(PCSTR);

// imagehlp is loaded once, from the system folder only.
Cmake_sure_directory_path_exists make_sure_directory_path_exists()
{
    static const auto function = get_function<Cmake_sure_directory_path_exists>(
        load_system_dll(L"imagehlp.dll"), "MakeSureDirectoryPathExists");
    return function;
}

}  // namespace

bool create_path_folders(const std::wstring& path)
{
    if (path.empty())
        return true;
    const auto make_sure = make_sure_directory_path_exists();
    if (!make_sure)
        return false;
    // The call takes an ANSI path: a name the code page cannot hold does not reach
    // the file system intact, and the open of the file then reports it.
    const std::string ansi = wide_to_ansi(path);
    return make_sure(ansi.c_str()) != FALSE;
}

bool create_folder(const std::wstring& path)
{
    if (path.empty())
        return true;
    std::wstring folder = path;
    if (folder.back() != L'\\')
        folder += L'\\';
    return create_path_folders(folder);
}
