#include "copy/update_run.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "copy/copier.h"
#include "copy/digest_check.h"
#include "copy/update_plan.h"
#include "copy/update_process_dialog.h"
#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "toolkit/dialog.h"

namespace {

void pump()
{
    ruko::pump_messages();
}

// What the update record holds: the list read from gamedata.sha256, or none.
Cexpected_digests expected_digests_of_update()
{
    return update_info.has_digest_list ? Cexpected_digests(update_info.listed_digests)
                                       : Cexpected_digests();
}

// After the Yes, before anything is written: every file of the plan is listed.
// False after telling the user which one is not.
bool check_plan_listed(const Cexpected_digests& expected, const std::vector<Cplanned_file>& plan)
{
    if (!expected.active())
        return true;
    for (const Cplanned_file& file : plan) {
        if (!expected.find(file.relative))
            return fail_update(
                msg::source_not_in_digest_list(update_info.source_dir + L"\\" + file.relative));
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

    bool copied = false;
    try {
        copied = update_process();
    } catch (...) {
        // Whatever the run was doing, the user hears why it ended.
        copied = fail_update(msg::out_of_memory);
    }

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
        entries.push_back(normalized_entry(entry));

    std::vector<Cplanned_file> plan;
    const Cexpected_digests expected = expected_digests_of_update();
    if (!plan_update(entries, pump, plan) || !check_plan_listed(expected, plan) ||
        !check_before_copy(plan, pump))
        return false;  // nothing in the installation has changed

    std::uint64_t run_total = 0;
    for (const Cplanned_file& file : plan)
        run_total += file.size;
    std::uint64_t run_remaining = run_total;
    Ccopier copier;
    copier.check_digests(expected);
    for (const Cplanned_file& file : plan) {
        if (!copier.copy_one_file(file.relative, run_total, run_remaining, &file.target))
            return false;  // the copier has told the user
    }
    copier.show_progress_now();  // the last file and both bars at their ends
    return true;
}
