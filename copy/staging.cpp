#include "copy/staging.h"

#include <windows.h>

#include "util/file.h"

const wchar_t* const staging_folder_name = L"update~";
const wchar_t* const temporary_suffix = L".update~";

namespace {

constexpr std::size_t files_per_subfolder = 64;

std::wstring subfolder(const std::wstring& dest_dir, std::size_t index)
{
    return staging_folder(dest_dir) + L"\\" + std::to_wstring(index / files_per_subfolder);
}

}  // namespace

std::wstring staging_folder(const std::wstring& dest_dir)
{
    return dest_dir + L"\\" + staging_folder_name;
}

std::wstring staged_new_path(const std::wstring& dest_dir, std::size_t index)
{
    return subfolder(dest_dir, index) + L"\\" + std::to_wstring(index) + L".new";
}

std::wstring staged_old_path(const std::wstring& dest_dir, std::size_t index)
{
    return subfolder(dest_dir, index) + L"\\" + std::to_wstring(index) + L".old";
}

bool make_staging_folder_for(const std::wstring& dest_dir, std::size_t index)
{
    if (index % files_per_subfolder != 0)
        return true;  // made with the subfolder's first file
    return (index != 0 || make_folder(staging_folder(dest_dir))) &&
           make_folder(subfolder(dest_dir, index));
}
