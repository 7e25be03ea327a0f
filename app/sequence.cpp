#include "app/sequence.h"

#include "app/message_box.h"
#include "app/messages.h"
#include "app/update_info.h"
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
        read_install_record,
        check_destination,
        confirm_update,
        run_update,
    };
    return steps;
}

bool run_steps(const std::vector<Cupdate_step>& steps)
{
    for (Cupdate_step step : steps) {
        if (!step())
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
    return true;
}

int show_warning(const std::wstring& text, UINT extra_style)
{
    return message_box(nullptr, text, update_info.game_title, extra_style | MB_ICONWARNING);
}

void show_information(const std::wstring& text, UINT extra_style)
{
    message_box(nullptr, text, update_info.game_title, extra_style | MB_ICONINFORMATION);
}

int ask_yes_no(const std::wstring& text)
{
    return message_box(nullptr, text, update_info.game_title,
                       MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2);
}

bool fail_update(const std::wstring& text)
{
    show_warning(text);
    show_warning(msg::update_failed);
    return false;
}
