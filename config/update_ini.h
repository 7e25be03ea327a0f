#pragma once
// Reads update.ini from the updater's folder into the update state record.

// A step of the update: true when update.ini could be opened.
bool read_update_ini();
