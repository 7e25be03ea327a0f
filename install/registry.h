#pragma once
// The installation record that the game's setup left in the registry:
// HKEY_LOCAL_MACHINE\Software\<reg_path>, values exe_dir, dat_dir and dat_setup.
// Only read, always in the 32-bit view where a 32-bit setup writes.

#include <windows.h>

#include <string>

// A step of the update: opens the key and reads the three values into the update
// state record. On failure the user has been told why.
bool read_install_record();

// Reads one value of an open key as text (up to 519 characters; the data is taken
// as UTF-16 up to its first null, whatever type the value has). On failure shows
// the value's message and the closing notice and leaves `value` unchanged. The key
// stays open.
bool read_registry_string(HKEY key, const std::wstring& name, std::wstring& value);
