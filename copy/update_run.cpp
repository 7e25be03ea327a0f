#include "copy/update_run.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "copy/copier.h"
#include "copy/entry_files.h"
#include "util/file.h"
#include "copy/file_list.h"
#include "copy/update_process_dialog.h"

namespace {

// Taken anew in each pass: an entry that vanished after the checks is skipped.
Centry_kind kind_of(const std::wstring& entry)
{
    return entry_kind(update_info.source_dir, entry);
}

bool copy_entry(Ccopier& copier, const std::wstring& entry, const Cfile_list& list,
                std::uint64_t run_total, std::uint64_t& run_remaining)
{
    const Centry_kind kind = kind_of(entry);
    if (kind == Centry_kind::missing)
        return true;
    for (const Cfile_entry& file : list.files) {
        if (kind == Centry_kind::folder)
            create_folder(update_info.dest_dir + L"\\" + entry);  // the copy reports a failure
        if (!copier.copy_one_file(copied_path(entry, kind, file), run_total, run_remaining))
            return false;
    }
    return true;
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
        list_copy_entry(update_info.source_dir, entries[i], kind_of(entries[i]), lists[i]);
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
