#pragma once
// How every step talks to the user: warning and information boxes captioned with
// the game's title, the one question, and a failing step's two boxes. Each goes
// through the message-box seam.

#include <windows.h>

#include <string>

// A warning box: no owner, game_title as caption, extra_style | MB_ICONWARNING.
int show_warning(const std::wstring& text, UINT extra_style = 0);

// An information box: no owner, game_title as caption, extra_style | MB_ICONINFORMATION.
void show_information(const std::wstring& text, UINT extra_style = 0);

// The one question: Yes/No, information icon, No as the default button.
int ask_yes_no(const std::wstring& text);

// A failing step's two boxes: its own warning, then the closing notice
// "update failed". Returns false, so that a step can end with `return fail_update(...)`.
bool fail_update(const std::wstring& text);
