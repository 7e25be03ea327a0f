#pragma once
// The file writer: writes the new bytes of each file of the update data in blocks
// into the staging folder, reporting its progress after every block.
//
// A file is never written in place: a run first writes every new file in full into
// the staging folder (copy/record/staging.h), on the disk and not only in the
// system's cache, and only then puts them in place (copy/place/). A file whose
// bytes lack the digest that gamedata.sha256 lists for it stops the write phase.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "copy/base/fault.h"
#include "copy/base/update_folders.h"
#include "copy/digest/digest_check.h"
#include "copy/digest/digest_pool.h"
#include "copy/digest/expected_digests.h"
#include "copy/plan/target.h"
#include "copy/plan/update_plan.h"
#include "copy/base/run_progress.h"
#include "util/handle.h"

// What the write phase of one run needs across its files: the block buffer,
// allocated once for the run rather than once per file, and how the files reach
// the disk.
class Ccopier {
public:
    static constexpr std::size_t block_size = 1000000;

    explicit Ccopier(Crun_progress& progress);

    // From now on each file's bytes must have the digests `expected` lists for it
    // before the file is put in place; `expected` must outlive the copies.
    void check_digests(const Cexpected_digests& expected) { expected_digests_ = &expected; }

    // The write phase of a run: begin_writing once, then write_new_file for each
    // file, then end_writing, which puts every byte written on the disk and waits for
    // the digests; or, when the phase stops on a fault, abandon_writing.
    void begin_writing(const Cupdate_folders& folders);
    // Writes the new bytes of `file` to `staged_path` in full: source_dir\relative
    // copied, or its patch applied to the installed file. Every byte counts down
    // run_remaining; faults name the destination dest_dir\relative (or the update
    // data it was read from). A staged file left half-written is removed.
    Cfault write_new_file(const Cplanned_file& file, const std::wstring& staged_path,
                          std::uint64_t run_total, std::uint64_t& run_remaining);
    Cfault end_writing();
    // Waits for the digests under way and lets go of every staged file, unflushed,
    // so that the run can be undone.
    void abandon_writing();

private:
    Cfault write_blocks(const std::wstring& source_path, const std::wstring& staged_path,
                        const std::wstring& dest_path, const Ctarget& target,
                        const std::vector<Csha256_digest>* expected, std::uint64_t run_total,
                        std::uint64_t& run_remaining);
    // Hands the written file to the digest pool: its bytes when the block holds the
    // whole file, else the staged file itself.
    void check_later(const std::vector<Csha256_digest>& expected, bool whole_in_block,
                     std::uint64_t size, const std::wstring& staged_path,
                     const std::wstring& source_path, const std::wstring& dest_path);
    // Waits for the digests handed over; the fault of the first file found wrong.
    Cfault digests_checked();
    // The new file made by its patch from the installed file, and checked: the
    // patch's windows, its own digest where gamedata.sha256 lists it, and the new
    // bytes' digest that after.sha256 lists.
    Cfault write_patched(const Cplanned_file& file, const std::wstring& staged_path,
                         const std::wstring& dest_path, std::uint64_t run_total,
                         std::uint64_t& run_remaining);
    // The digests of the new bytes match; the file on the disk and closed.
    Cfault finish_file(Chandle& staged, std::uint64_t size, const std::wstring& staged_path,
                       const std::wstring& source_path, const std::wstring& dest_path);
    // file_written, then the dialog's turn after a flush that may have taken a while.
    Cfault file_done(Chandle& staged, std::uint64_t size, const std::wstring& staged_path,
                     const std::wstring& dest_path);
    // A staged file written again in this run (a file planned twice) is let go first:
    // the checks that may still read it back are waited for (the fault of a file
    // found wrong meanwhile), and its handle kept for the volume's flush is closed.
    Cfault let_go_of(const std::wstring& staged_path);
    // This file's new bytes are completely written: on the disk and the file closed,
    // or, where the whole volume is flushed instead, the file kept open until that
    // flush, which covers the files open on the volume.
    Cfault file_written(Chandle& staged, const std::wstring& staged_path,
                        const std::wstring& dest_path);
    // Flushes the volume and closes the files kept open for it; where the volume
    // cannot be flushed now, each of them on its own.
    Cfault flush_kept_files();

    Crun_progress& progress_;
    std::vector<char> block_;
    const Cexpected_digests* expected_digests_ = nullptr;  // null: no file is checked
    Cdigest_check digest_check_;  // of the patched file being written
    Cdigest_check patch_check_;   // of the patch being read
    Cdigest_pool digest_pool_;    // of the files copied whole
    struct Cchecked_file {
        std::wstring source_path;  // named when its bytes are not the listed ones
        std::wstring dest_path;    // named when the staged file cannot be read back
    };
    std::vector<Cchecked_file> checked_;  // by the id handed to digest_pool_
    std::set<std::wstring> written_;      // the staged files written in this phase
    Cupdate_folders folders_;
    bool flush_each_file_ = true;  // false: one flush of the volume instead
    struct Ckept_file {
        std::wstring staged_path;
        std::wstring dest_path;  // named when its flush fails
        Chandle file;
    };
    std::vector<Ckept_file> kept_open_;  // written, waiting for the volume's flush
};
