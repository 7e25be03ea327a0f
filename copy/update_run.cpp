#include "copy/update_run.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "copy/copier.h"
#include "util/file.h"
#include "copy/file_list.h"
#include "copy/update_process_dialog.h"
#include "util/path.h"

namespace {

enum class Centry_kind { missing, folder, file };

std::wstring source_path(const std::wstring& entry)
{
    return update_info.source_dir + L"\\" + entry;
}

// Taken anew in each pass: an entry that vanished after the checks is skipped.
Centry_kind entry_kind(const std::wstring& entry)
{
    const DWORD attributes = GetFileAttributesW(source_path(entry).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Centry_kind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Centry_kind::folder : Centry_kind::file;
}

// The folder part of a file entry (sub for sub\file.dat), empty when it has none.
std::wstring entry_folder(const std::wstring& entry)
{
    const std::wstring::size_type pos = entry.rfind(L'\\');
    return pos == std::wstring::npos ? std::wstring() : entry.substr(0, pos);
}

// A file entry is looked up in its own folder, so that sub\file.dat is found in
// source_dir\sub, with the case its name has there.
void list_file_entry(const std::wstring& entry, Cfile_list& list)
{
    const std::wstring folder = entry_folder(entry);
    const std::wstring name = path_file_name(entry);
    list.search(folder.empty() ? update_info.source_dir : source_path(folder),
                path_without_extension(name), path_extension(name), false);
}

void list_entry(const std::wstring& entry, Cfile_list& list)
{
    switch (entry_kind(entry)) {
    case Centry_kind::folder:
        list.search(source_path(entry), L"*", L"*", true);
        break;
    case Centry_kind::file:
        list_file_entry(entry, list);
        break;
    case Centry_kind::missing:
        break;
    }
}

bool copy_entry(Ccopier& copier, const std::wstring& entry, const Cfile_list& list,
                std::uint64_t run_total, std::uint64_t& run_remaining)
{
    switch (entry_kind(entry)) {
    case Centry_kind::folder:
        for (const Cfile_entry& file : list.files) {
            create_folder(update_info.dest_dir + L"\\" + entry);  // the copy reports a failure
            if (!copier.copy_one_file(entry + L"\\" + file.name, run_total, run_remaining))
                return false;
        }
        return true;
    case Centry_kind::file: {
        const std::wstring folder = entry_folder(entry);
        for (const Cfile_entry& file : list.files) {
            const std::wstring relative = folder.empty() ? file.name : folder + L"\\" + file.name;
            if (!copier.copy_one_file(relative, run_total, run_remaining))
                return false;
        }
        return true;
    }
    case Centry_kind::missing:
        return true;
    }
    return true;
}

// An entry may be written with '/' between its folders, which Windows accepts as a
// separator; the copy works with '\' only, so that the folders of the destination
// are made level by level and the dialog shows one kind of path.
std::wstring with_backslashes(std::wstring entry)
{
    std::replace(entry.begin(), entry.end(), L'/', L'\\');
    return entry;
}

}  // namespace

bool run_update()
{
    Cupdate_process_dialog& dialog = update_process_dialog;
    // Without a window every dialog call below does nothing and the copy runs unseen.
    dialog.create(L"update");
    dialog.set_text(update_info.game_title + msg::dialog_title_suffix);
    dialog.progress[0].set_range(0, 1000);
    dialog.progress[1].set_range(0, 1000);
    dialog.show(true);

    const bool copied = update_process();

    if (dialog.hwnd) {  // the user may have closed it already
        dialog.show(false);
        dialog.destroy();
    }
    return copied;
}

bool update_process()
{
    std::vector<std::wstring> entries;
    for (const std::wstring& entry : update_info.copy_files)
        entries.push_back(with_backslashes(entry));
    std::vector<Cfile_list> lists(entries.size());

    std::uint64_t run_total = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        list_entry(entries[i], lists[i]);
        run_total += lists[i].total_size;
    }

    std::uint64_t run_remaining = run_total;
    Ccopier copier;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!copy_entry(copier, entries[i], lists[i], run_total, run_remaining))
            return false;  // the copier has told the user
    }
    return true;
}
