#pragma once
// Real toolkit windows in a test exe: the progress dialog's template (linked into
// every test exe), its progress bar class, and a clean message queue between tests.

#include <windows.h>

#include <string>

#include "support/screen_shot.h"

// Points app_info.instance at the test exe, which holds dialog template 101, and
// registers the progress bar class once. Call it before creating a dialog.
void prepare_toolkit_windows();

// Removes and dispatches every waiting message; a WM_QUIT among them is dropped.
void drain_messages();

// The folder for pictures of test windows (UPDATER_TEST_ARTIFACTS); empty when unset.
std::wstring test_artifacts_folder();

// The window is in the application's list of registered toolkit windows.
bool is_registered(HWND window);

