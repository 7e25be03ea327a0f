#pragma once
// The update proper: the progress dialog around the listing and copying of every
// #COPY_FILE entry from source_dir to dest_dir.

// A step of the update sequence: shows the progress dialog, runs update_process,
// removes the dialog. True when every file was copied.
bool run_update();

// Lists what every entry stands for, checks that gamedata.sha256 (when given) lists
// every file, checks the installation, adds up the bytes, then copies file by file,
// each checked against its digest, stopping at the first file that fails.
bool update_process();
