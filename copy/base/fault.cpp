#include "copy/base/fault.h"

#include "session/messages.h"

Cfault fault_at(Cfault::Ckind kind, const std::wstring& path)
{
    Cfault fault;
    fault.kind = kind;
    fault.path = path;
    return fault;
}

std::wstring fault_text(const Cfault& fault)
{
    using K = Cfault::Ckind;
    const std::wstring& path = fault.path;
    switch (fault.kind) {
    case K::source_folder_missing: return msg::source_folder_missing(path);
    case K::folder_unreadable:
    case K::folder_link: return msg::folder_unreadable(path);
    case K::source_not_in_digest_list: return msg::source_not_in_digest_list(path);
    case K::source_open_failed: return msg::source_open_failed(path);
    case K::source_read_failed: return msg::source_read_failed(path);
    case K::source_damaged: return msg::source_damaged(path);
    case K::destination_open_failed: return msg::destination_open_failed(path);
    case K::destination_write_failed: return msg::destination_write_failed(path);
    case K::destination_in_use: return msg::destination_in_use(path);
    case K::not_enough_room: return msg::not_enough_room(fault.needed_mb, fault.free_mb);
    case K::cut_off_run_not_undone: return msg::cut_off_run_not_undone(path);
    case K::patch_unreadable: return msg::patch_unreadable(path);
    case K::patched_file_missing: return msg::patched_file_missing(path);
    case K::patched_file_other_version: return msg::patched_file_other_version(path);
    case K::source_file_missing:
    case K::none: break;
    }
    return msg::source_file_missing(path);
}
