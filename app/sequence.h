#pragma once
// One update, step by step.
//
// A step takes no arguments, works on the update state record, shows its own
// failure in message boxes (session/notices.h) and returns false; the sequence
// then stops without a word of its own.

#include <vector>

using Cupdate_step = bool (*)();

// The steps of one update, in the order they run (the success message follows).
const std::vector<Cupdate_step>& update_steps();

// Runs the given steps in order, stopping at the first false; shows the success
// message when all of them returned true.
bool run_steps(const std::vector<Cupdate_step>& steps);

// Runs one whole update: run_steps(update_steps()).
bool run_update_sequence();

// The first step: clears what update.ini and gamedata.sha256 fill. Always true.
bool reset_update_info();
