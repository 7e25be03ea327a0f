#pragma once
// The update proper: the progress dialog around the listing of every #COPY_FILE
// entry, the check of the installation, and the installation of the files, which
// changes all at once or not at all.

#include <cstdint>
#include <vector>

class Ccopier;
struct Cplanned_file;

// A step of the update sequence: shows the progress dialog, runs update_process,
// removes the dialog. True when every file was copied.
bool run_update();

// Lists what every entry stands for, checks that gamedata.sha256 (when given) lists
// every file, checks the installation, adds up the bytes, then installs the files,
// each checked against its digest as it is written.
bool update_process();

// Installs the planned files: the run's record written (run_record.h), every new
// file written in full to the staging folder, then put in place, and the old files
// removed with the staging folder and the record once the last new file is in
// place. A failure at any point puts the installation back as it was; false after
// telling the user. A file planned twice is written twice and put in place once.
bool install_files(Ccopier& copier, const std::vector<Cplanned_file>& plan,
                   std::uint64_t run_total, std::uint64_t& run_remaining);
