#pragma once
// The one seam through which every message box of the program goes. The program
// shows real boxes; tests install a function that records what would be shown and
// answers from a script.

#include <windows.h>

#include <string>

using Cmessage_box_function = int (*)(HWND owner, const std::wstring& text,
                                      const std::wstring& caption, UINT style);

// Shows a modal message box (or what the installed function does instead) and
// returns its result (IDOK, IDYES, IDNO...).
int message_box(HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT style);

// Installs another function behind message_box; returns the one it replaces.
Cmessage_box_function replace_message_box(Cmessage_box_function function);
