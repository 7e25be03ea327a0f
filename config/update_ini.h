#pragma once
// Reads update.ini from the updater's folder into the update state record.
//
// The file is text in code page 932. A line is blank, a "//" comment, one of
//   #REG_PATH = "..."   #GAME_TITLE = "..."   #COPY_FILE = "..."
// (blanks around '=' optional, anything after the closing quote ignored), or
// anything else, which is skipped without a word. The last #REG_PATH and
// #GAME_TITLE win; every #COPY_FILE adds one entry, in file order.

// A step of the update: true when update.ini could be opened, whatever it holds.
bool read_update_ini();
