#include "session/message_box.h"

namespace {

int real_message_box(HWND owner, const std::wstring& text, const std::wstring& caption,
                     UINT style)
{
    // An empty caption is passed as an empty string, never as null, so that the
    // system's default caption ("Error") does not appear.
    return MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

Cmessage_box_function current_function = real_message_box;

}  // namespace

int message_box(HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT style)
{
    return current_function(owner, text, caption, style);
}

Cmessage_box_function replace_message_box(Cmessage_box_function function)
{
    Cmessage_box_function previous = current_function;
    current_function = function ? function : real_message_box;
    return previous;
}
