#pragma once
// The record of a run that changes the installation, kept in the installation
// folder while the run lasts: the folders it makes, the files it puts in place
// and whether each replaces an old file. It is on the disk (flushed) before the
// first new byte is written, and it appears whole or not at all: each version of it
// is written under a name of its own, flushed, then renamed over the record, so
// that a power loss never leaves a record cut short or read as zeros. It is there so that a run cut off at any point (power loss, the
// updater ended in Task Manager) is undone by the next run (copy/mend/). Its last
// line "done" says that every new file is in place: from then on the run is
// finished forward, never undone.
//
// The record is UTF-16 text with a byte order mark, one item a line:
//     update run record 1
//     folder<TAB>data\new            a folder the run makes, outermost first
//     replace<TAB>3<TAB>data.arc     staged file 3 replaces data.arc
//     replace<TAB>5<TAB>movie.dat<TAB>read-only   ...a read-only file
//     add<TAB>4<TAB>data\new\x.dat   staged file 4 is a file the installation lacks
//     done
// The room check counts the record's size (copy/plan/room.h).

#include <cstddef>
#include <string>
#include <vector>

// One file the run puts in place.
struct Crecorded_file {
    std::size_t index = 0;  // the staged file that goes there (staging.h)
    bool replaces = false;  // an old file is there; it is kept until the end
    std::wstring relative;  // below the installation folder, as named on disk
    // The old file has the read-only attribute (a game installed from a disc): the
    // new file gets it too, and an old file put back gets it again. Where a file
    // system keeps no journal, flushing a renamed read-only file takes the attribute
    // off for a moment, which a power loss could make for good.
    bool read_only = false;
};

struct Crun_record {
    std::vector<std::wstring> folders;  // made by the run, outermost first, relative
    std::vector<Crecorded_file> files;
    bool done = false;
};

// "update~record.txt", in the installation folder, and the name each new version
// of it is written under first, "update~record.txt.new".
extern const wchar_t* const run_record_name;
std::wstring run_record_path(const std::wstring& dest_dir);
std::wstring run_record_draft_path(const std::wstring& record_path);

// Writes the record whole under its draft name, flushes it, then renames it over
// the record and puts the new name on the disk; false when any of it fails (a
// draft left behind is removed by whoever carries the record out).
bool write_run_record(const std::wstring& path, const Crun_record& record);

// Writes the record again with the line "done", the same way.
bool mark_run_record_done(const std::wstring& path, const Crun_record& record);

enum class Crecord_read {
    none,       // there is no record: the last run ended
    read,       // `record` holds it
    unreadable  // it cannot be opened or read, or is not a record of this program
};
Crecord_read read_run_record(const std::wstring& path, Crun_record& record);
