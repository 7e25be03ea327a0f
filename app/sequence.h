#pragma once
// One update, step by step, and the way every step talks to the user.
//
// A step takes no arguments, works on the update state record, shows its own
// failure in message boxes and returns false; the sequence then stops without a
// word of its own.

#include <windows.h>

#include <string>
#include <vector>

using Cupdate_step = bool (*)();

// The steps of one update, in the order they run (the success message follows).
const std::vector<Cupdate_step>& update_steps();

// Runs the given steps in order, stopping at the first false; shows the success
// message when all of them returned true.
bool run_steps(const std::vector<Cupdate_step>& steps);

// Runs one whole update: run_steps(update_steps()).
bool run_update_sequence();

// The first step: clears what update.ini fills. Always true.
bool reset_update_info();

// A warning box: no owner, game_title as caption, extra_style | MB_ICONWARNING.
int show_warning(const std::wstring& text, UINT extra_style = 0);

// An information box: no owner, game_title as caption, extra_style | MB_ICONINFORMATION.
void show_information(const std::wstring& text, UINT extra_style = 0);

// The one question: Yes/No, information icon, No as the default button.
int ask_yes_no(const std::wstring& text);

// A failing step's two boxes: its own warning, then the closing notice
// "update failed". Returns false, so that a step can end with `return fail_update(...)`.
bool fail_update(const std::wstring& text);
