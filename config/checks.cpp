#include "config/checks.h"

#include <cstdarg>
#include <cstdio>

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "config/digest_list.h"

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
