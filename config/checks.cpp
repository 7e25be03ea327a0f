#include "config/checks.h"

#include <cstdarg>
#include <cstdio>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "config/digest_list.h"
#include "config/patch_sources.h"
#include "config/patch_header.h"

std::wstring format_wide(const wchar_t* pattern, ...)
{
    wchar_t buffer[1024] = {};
    va_list arguments;
    va_start(arguments, pattern);
    // _TRUNCATE: a longer result is cut to what fits, terminator included, instead
    // of invoking the invalid-parameter handler.
    _vsnwprintf_s(buffer, 1024, _TRUNCATE, pattern, arguments);
    va_end(arguments);
    return buffer;
}

bool check_reg_path_and_title()
{
    if (update_info.reg_path.empty())
        return fail_update(msg::reg_path_missing);
    if (update_info.game_title.empty())
        return fail_update(msg::game_title_missing);
    return true;
}

bool check_copy_sources()
{
    // The message names the folder by its fixed name, whatever source_dir holds.
    if (!is_source_folder(update_info.source_dir))
        return fail_update(msg::source_folder_missing(source_folder_name));
    int position = 0;
    for (const std::wstring& entry : update_info.copy_files) {
        ++position;
        switch (copy_entry_fault(update_info.source_dir, entry)) {
        case Ccopy_entry_fault::empty:
            return fail_update(format_wide(msg::copy_entry_empty_format, position));
        case Ccopy_entry_fault::unsafe:
            return fail_update(format_wide(msg::copy_entry_unsafe_format, position));
        case Ccopy_entry_fault::missing:
            return fail_update(
                msg::source_file_missing(copy_source_path(update_info.source_dir, entry)));
        case Ccopy_entry_fault::none:
            break;
        }
    }
    return true;
}

namespace {

bool check_patch_entry(std::size_t index)
{
    const std::vector<std::wstring>& patches = update_info.patch_files;
    const int position = static_cast<int>(index) + 1;
    const std::wstring& entry = patches[index];
    switch (patch_entry_fault(update_info.source_dir, patches, index, update_info.copy_files)) {
    case Cpatch_entry_fault::empty:
        return fail_update(format_wide(msg::patch_entry_empty_format, position));
    case Cpatch_entry_fault::unsafe:
        return fail_update(format_wide(msg::patch_entry_unsafe_format, position));
    case Cpatch_entry_fault::twice:
        return fail_update(msg::patch_entry_twice(entry));
    case Cpatch_entry_fault::also_copied:
        return fail_update(msg::patch_entry_also_copied(entry));
    case Cpatch_entry_fault::missing:
        return fail_update(
            msg::source_file_missing(patch_source_path(update_info.source_dir, entry)));
    case Cpatch_entry_fault::none:
        break;
    }
    const std::wstring patch = patch_source_path(update_info.source_dir, entry);
    switch (read_patch_header(patch)) {
    case Cpatch_header::readable:
        return true;
    case Cpatch_header::compressed:
        return fail_update(msg::patch_compressed(patch));
    case Cpatch_header::code_table:
        return fail_update(msg::patch_code_table(patch));
    case Cpatch_header::unreadable:
        break;
    }
    return fail_update(msg::patch_unreadable(patch));
}

// Reads before.sha256 or after.sha256, which must be there, and checks that it
// names every patched path.
bool read_patch_list(const wchar_t* name, std::vector<Clisted_digest>& digests)
{
    Cdigest_list list = read_digest_list(name);
    switch (list.status) {
    case Cdigest_list_status::absent:
        return fail_update(msg::patch_list_missing(name));
    case Cdigest_list_status::unreadable:
        return fail_update(msg::patch_list_unreadable(name));
    case Cdigest_list_status::read:
        break;
    }
    if (!list.bad_lines.empty())
        return fail_update(msg::patch_list_line_unreadable(name, list.bad_lines.front()));
    for (const std::wstring& entry : update_info.patch_files) {
        if (listed_for(list.digests, entry).empty())
            return fail_update(msg::patched_file_not_in_list(entry, name));
    }
    digests = std::move(list.digests);
    return true;
}

}  // namespace

bool check_patch_sources()
{
    for (std::size_t i = 0; i < update_info.patch_files.size(); ++i) {
        if (!check_patch_entry(i))
            return false;
    }
    return update_info.patch_files.empty() ||
           (read_patch_list(before_list_name, update_info.before_digests) &&
            read_patch_list(after_list_name, update_info.after_digests));
}

bool read_update_digests()
{
    Cdigest_list list = read_digest_list(digest_list_name);
    switch (list.status) {
    case Cdigest_list_status::absent:
        return true;
    case Cdigest_list_status::unreadable:
        return fail_update(msg::digest_list_unreadable);
    case Cdigest_list_status::read:
        break;
    }
    if (!list.bad_lines.empty())
        return fail_update(msg::digest_line_unreadable(list.bad_lines.front()));
    update_info.has_digest_list = true;
    update_info.listed_digests = std::move(list.digests);
    return true;
}
