#include "session/notices.h"

#include "session/message_box.h"
#include "session/messages.h"
#include "session/update_info.h"

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
