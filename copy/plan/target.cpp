#include "copy/plan/target.h"

const wchar_t* const temporary_suffix = L".update~";

DWORD temporary_file_attributes(const Ctarget& target)
{
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    const DWORD attributes = target.exists ? target.attributes & kept : 0;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}
