#pragma once
// Where the update goes (the game's program folder from the registry), whether
// that installation is complete, and the user's go-ahead.

// A step of the update: dest_dir = exe_dir; the folder exists, holds the engine
// program, and the setup type is exactly "full". On failure the user has been told.
bool check_destination();

// A step of the update: asks whether to overwrite the destination (No is the
// default). False, after saying so, when the user answers No.
bool confirm_update();
