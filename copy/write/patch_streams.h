#pragma once
// The streams through which the writer applies a patch: the patch read from the
// update data (hashed as it goes by, where gamedata.sha256 lists it), and the
// staged new file, written block by block with its progress reported, hashed as it
// is written and read back where a window copies from what came before.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "copy/base/run_progress.h"
#include "copy/digest/digest_check.h"
#include "delta/vcdiff_decoder.h"
#include "delta/vcdiff_files.h"
#include "util/handle.h"

// The patch, read once: its bytes go to `check` as well.
class Cpatch_input : public vcdiff::Cinput {
public:
    explicit Cpatch_input(Cdigest_check& check) : check_(check) {}
    // Opened shared with readers only, as every file of the update data is.
    bool open(const std::wstring& path) { return file_.open(path, FILE_SHARE_READ); }
    bool read(void* bytes, std::size_t size, std::size_t& got) override;

private:
    vcdiff::Cfile_input file_;
    Cdigest_check& check_;
};

// Where the run's byte counts stand: the new file's bytes written so far count down
// run_remaining of run_total.
struct Crun_count {
    std::uint64_t total = 0;
    std::uint64_t* remaining = nullptr;
    std::uint64_t file_size = 0;
    std::uint64_t file_done = 0;
};

class Cstaged_target : public vcdiff::Ctarget {
public:
    Cstaged_target(HANDLE file, Cdigest_check& check, Crun_progress& progress, Crun_count& count,
                   std::size_t block_size)
        : file_(file), check_(check), progress_(progress), count_(count), block_size_(block_size)
    {
    }

    bool write(const void* bytes, std::size_t size) override;
    bool read_back(std::uint64_t offset, void* bytes, std::size_t size) override;

private:
    HANDLE file_;
    Cdigest_check& check_;
    Crun_progress& progress_;
    Crun_count& count_;
    std::size_t block_size_;
};
