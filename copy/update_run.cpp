#include "copy/update_run.h"

#include <cstdint>
#include <string>
#include <vector>

#include "copy/base/cut_off.h"
#include "copy/base/update_folders.h"
#include "copy/digest/expected_digests.h"
#include "copy/install.h"
#include "copy/mend/mend.h"
#include "copy/plan/plan_check.h"
#include "copy/plan/update_plan.h"
#include "copy/update_process_dialog.h"
#include "copy/write/copier.h"
#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "toolkit/dialog.h"
#include "util/path.h"

namespace {

void pump()
{
    ruko::pump_messages();
}

// The progress dialog on the screen for as long as its owner lives, whatever ends
// the run. Without a window every dialog call does nothing and the copy runs unseen.
class Cshown_dialog {
public:
    explicit Cshown_dialog(Cupdate_process_dialog& dialog) : dialog_(dialog)
    {
        dialog_.create(L"update");
        dialog_.set_text(update_info.game_title + msg::dialog_title_suffix);
        dialog_.progress[0].set_range(0, 1000);
        dialog_.progress[1].set_range(0, 1000);
        dialog_.show(true);
    }
    ~Cshown_dialog()
    {
        if (dialog_.hwnd) {  // the user may have closed it already
            dialog_.show(false);
            dialog_.destroy();
        }
    }
    Cshown_dialog(const Cshown_dialog&) = delete;
    Cshown_dialog& operator=(const Cshown_dialog&) = delete;

private:
    Cupdate_process_dialog& dialog_;
};

// What one run is asked to do, read from the update state record once.
struct Crun_request {
    Cupdate_folders folders;
    std::vector<std::wstring> copies;   // #COPY_FILE entries, normalized
    std::vector<std::wstring> patches;  // #PATCH_FILE entries, normalized
    Cexpected_digests expected;         // gamedata.sha256, or nothing expected
    std::vector<Clisted_digest> before;  // before.sha256, with patches
    std::vector<Clisted_digest> after;   // after.sha256, with patches
};

std::vector<std::wstring> normalized_entries(const std::vector<std::wstring>& entries)
{
    std::vector<std::wstring> normalized;
    for (const std::wstring& entry : entries)
        normalized.push_back(normalized_entry(entry));
    return normalized;
}

Crun_request request_of_update()
{
    Crun_request request;
    request.folders = {update_info.source_dir, update_info.dest_dir};
    request.copies = normalized_entries(update_info.copy_files);
    request.patches = normalized_entries(update_info.patch_files);
    if (update_info.has_digest_list)
        request.expected = Cexpected_digests(update_info.listed_digests);
    request.before = update_info.before_digests;
    request.after = update_info.after_digests;
    return request;
}

// Before anything is written: the plan, its files listed, the installation checked.
Cfault plan_and_check(const Crun_request& request, Cprogress_view& view,
                      std::vector<Cplanned_file>& plan)
{
    const Cupdate_folders& folders = request.folders;
    Cfault fault = plan_update(request.copies, folders.source_dir, pump, plan);
    if (!fault.found())
        fault = plan_patches(request.patches, folders.source_dir, request.before, request.after,
                             plan);
    if (!fault.found())
        fault = check_plan_listed(request.expected, plan, folders.source_dir);
    if (!fault.found())
        fault = check_before_copy(plan, folders.dest_dir, pump, view);
    return fault;
}

std::uint64_t total_size(const std::vector<Cplanned_file>& plan)
{
    std::uint64_t total = 0;
    for (const Cplanned_file& file : plan)
        total += file.size;
    return total;
}

Cfault run_phases(const Crun_request& request, Cprogress_view& view)
{
    std::vector<Cplanned_file> plan;
    const Cfault fault = plan_and_check(request, view, plan);
    if (fault.found())
        return fault;  // nothing in the installation has changed
    const std::uint64_t run_total = total_size(plan);
    std::uint64_t run_remaining = run_total;
    view.begin_pass();
    Ccopier copier(view);
    copier.check_digests(request.expected);
    return install_files(request.folders, plan, copier, run_total, run_remaining);
}

}  // namespace

bool report_fault(Cprogress_view& view, const Cfault& fault)
{
    view.show_now();
    return fail_update(fault_text(fault));
}

bool run_update()
{
    const Cshown_dialog shown(update_process_dialog);
    return update_process();
}

bool update_process()
{
    const Crun_request request = request_of_update();
    Cprogress_view view(update_process_dialog);
    try {
        const Cfault fault = run_phases(request, view);
        if (fault.found())
            return report_fault(view, fault);  // the installation is as it was
    } catch (const Crun_cut_off&) {
        return false;  // cut off through the tests' seam: everything stays as it is
    }
    view.show_now();  // the last file and both bars at their ends
    return true;
}

bool mend_cut_off_run()
{
    const Cfault fault = mend_cut_off_run_in(update_info.dest_dir);
    return !fault.found() || fail_update(fault_text(fault));
}
