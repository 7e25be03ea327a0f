#include "copy/record/staging.h"

#include <windows.h>

#include "util/file.h"
#include "util/path.h"

const wchar_t* const staging_folder_name = L"update~";

namespace {

constexpr std::size_t files_per_subfolder = 64;

std::wstring subfolder(const std::wstring& dest_dir, std::size_t index)
{
    return join_path(staging_folder(dest_dir), std::to_wstring(index / files_per_subfolder));
}

}  // namespace

std::wstring staging_folder(const std::wstring& dest_dir)
{
    return join_path(dest_dir, staging_folder_name);
}

std::wstring staged_new_path(const std::wstring& dest_dir, std::size_t index)
{
    return join_path(subfolder(dest_dir, index), std::to_wstring(index) + L".new");
}

std::wstring staged_old_path(const std::wstring& dest_dir, std::size_t index)
{
    return join_path(subfolder(dest_dir, index), std::to_wstring(index) + L".old");
}

bool make_staging_folder_for(const std::wstring& dest_dir, std::size_t index)
{
    if (index % files_per_subfolder != 0)
        return true;  // made with the subfolder's first file
    return (index != 0 || make_folder(staging_folder(dest_dir))) &&
           make_folder(subfolder(dest_dir, index));
}
