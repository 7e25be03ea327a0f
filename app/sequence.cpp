#include "app/sequence.h"

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "config/checks.h"
#include "config/update_ini.h"
#include "copy/update_run.h"
#include "install/destination.h"
#include "install/registry.h"

const std::vector<Cupdate_step>& update_steps()
{
    static const std::vector<Cupdate_step> steps = {
        reset_update_info,
        read_update_ini,
        check_reg_path_and_title,
        check_copy_sources,
        read_update_digests,
        check_patch_sources,
        read_install_record,
        check_destination,
        mend_cut_off_run,
        confirm_update,
        run_update,
    };
    return steps;
}

namespace {

// No input ends the program without a word: a step that runs out of memory (or
// meets any other exception) ends the run with a warning and the closing notice.
bool run_step(Cupdate_step step)
{
    try {
        return step();
    } catch (...) {
        return fail_update(msg::out_of_memory);
    }
}

}  // namespace

bool run_steps(const std::vector<Cupdate_step>& steps)
{
    for (Cupdate_step step : steps) {
        if (!run_step(step))
            return false;  // the step has told the user why
    }
    show_information(msg::update_succeeded);
    return true;
}

bool run_update_sequence()
{
    return run_steps(update_steps());
}

bool reset_update_info()
{
    update_info.reg_path.clear();
    update_info.game_title.clear();
    update_info.copy_files.clear();
    update_info.patch_files.clear();
    update_info.has_digest_list = false;
    update_info.listed_digests.clear();
    update_info.before_digests.clear();
    update_info.after_digests.clear();
    return true;
}
