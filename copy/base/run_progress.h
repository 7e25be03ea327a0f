#pragma once
// What a phase that reads or writes files tells of its progress (the writer, the
// hash of the installed files a patch needs), and the moments it gives the dialog
// to handle its messages. The run's leader connects it to the progress dialog; the
// phases themselves never paint.

#include <cstdint>
#include <string>

class Crun_progress {
public:
    virtual ~Crun_progress() = default;

    // The phase turns to a file (its path below the update data or the installation),
    // before opening it.
    virtual void file_started(const std::wstring& relative) = 0;
    // The file and its staged copy are open: its bytes come next.
    virtual void file_opened() = 0;
    // A block is written: `file_done` of the file's `file_size` bytes, `run_done` of
    // the run's `run_total`. The dialog lives only through this call: painting,
    // moving, closing.
    virtual void block_written(std::uint64_t run_done, std::uint64_t run_total,
                               std::uint64_t file_done, std::uint64_t file_size) = 0;
    // A flush to the disk took a while: what came meanwhile (the dialog closed) is
    // handled before the next file is shown, within a few milliseconds.
    virtual void flushed() = 0;
    // The phase waits for work of its own threads (the digests of the files written):
    // called every few milliseconds meanwhile, for the dialog's messages.
    virtual void waiting() = 0;
};
