#include "config/patch_header.h"

#include <windows.h>

#include "delta/vcdiff_files.h"
#include "delta/vcdiff_headers.h"

Cpatch_header read_patch_header(const std::wstring& path)
{
    vcdiff::Cfile_input file;
    if (!file.open(path, FILE_SHARE_READ))
        return Cpatch_header::unreadable;
    vcdiff::Cpatch_stream patch(file);
    switch (vcdiff::read_file_header(patch)) {
    case vcdiff::Cdecode_fault::none:
        return Cpatch_header::readable;
    case vcdiff::Cdecode_fault::secondary_compression:
        return Cpatch_header::compressed;
    case vcdiff::Cdecode_fault::custom_code_table:
        return Cpatch_header::code_table;
    default:
        break;
    }
    return Cpatch_header::unreadable;
}
