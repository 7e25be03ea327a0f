#include "copy/write/copier.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "config/patch_sources.h"
#include "copy/base/held_files.h"
#include "copy/write/patch_streams.h"
#include "util/file.h"
#include "util/path.h"

namespace {

using Ckind = Cfault::Ckind;

// Written files kept open for one flush of the volume, at most this many at once.
constexpr std::size_t kept_open_limit = 1000;

// Opens a file of the update data for reading, shared with readers only, and
// measures it. A file another program still writes (an extractor, a sync client)
// is refused the same way on every system, rather than copied half-written.
Chandle open_source(const std::wstring& path, std::uint64_t& size)
{
    Chandle file = open_file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL);
    LARGE_INTEGER measured = {};
    if (!file.is_open() || !GetFileSizeEx(file.get(), &measured))
        return Chandle();
    size = static_cast<std::uint64_t>(measured.QuadPart);
    return file;
}

// Reads up to `count` bytes; 0 for a failed read and for the end of the file.
std::size_t read_some(HANDLE file, char* bytes, std::size_t count)
{
    DWORD got = 0;
    return ReadFile(file, bytes, static_cast<DWORD>(count), &got, nullptr) ? got : 0;
}

// Creates the staged file (or truncates one written for the same target earlier in
// the run). A scanner that looks at the file of the same name it just saw closed
// is waited out. Readers are let in: the digest pool reads the file back while it
// is still held open for the volume's flush.
Chandle open_staged(const std::wstring& path, const Ctarget& target, DWORD access = GENERIC_WRITE)
{
    Chandle file;
    try_through_brief_holds(
        [&] {
            file = open_file(path, access, FILE_SHARE_READ, CREATE_ALWAYS,
                             temporary_file_attributes(target));
            return file.is_open();
        },
        is_held_or_refused);
    return file;
}

// Writes all of `count` bytes; a full volume may first accept fewer bytes than asked
// and fail only on the next call.
bool write_all(HANDLE file, const char* bytes, std::size_t count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
           written == count;
}

}  // namespace

Ccopier::Ccopier(Crun_progress& progress) : progress_(progress), block_(block_size, '\0') {}

void Ccopier::begin_writing(const Cupdate_folders& folders)
{
    folders_ = folders;
    checked_.clear();
    written_.clear();
    // A volume that flushes now will flush at the end of the phase too.
    flush_each_file_ = !flush_volume(folders.dest_dir);
}

Cfault Ccopier::write_new_file(const Cplanned_file& file, const std::wstring& staged_path,
                               std::uint64_t run_total, std::uint64_t& run_remaining)
{
    const std::wstring& relative = file.relative;
    const std::wstring dest_path = folders_.dest(relative);
    if (file.target.exists && (file.target.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fault_at(Ckind::destination_open_failed, dest_path);
    progress_.file_started(relative);
    Cfault fault = let_go_of(staged_path);
    if (fault.found())
        return fault;
    if (file.patched) {
        fault = write_patched(file, staged_path, dest_path, run_total, run_remaining);
    } else {
        fault = write_blocks(folders_.source(relative), staged_path, dest_path, file.target,
                             expected_digests_ ? expected_digests_->find(relative) : nullptr,
                             run_total, run_remaining);
    }
    // A file found damaged stops the phase as soon as it is known.
    if (!fault.found() && !checked_.empty() && digest_pool_.failed_so_far())
        fault = digests_checked();
    if (fault.found())
        delete_file(staged_path);
    return fault;
}

Cfault Ccopier::end_writing()
{
    // The flush goes on while the last files are hashed.
    const Cfault flushed = flush_kept_files();
    const Cfault checked = digests_checked();
    return checked.found() ? checked : flushed;
}

void Ccopier::abandon_writing()
{
    digests_checked();  // the phase has its fault already
    kept_open_.clear();
}

Cfault Ccopier::digests_checked()
{
    const std::optional<Cdigest_pool::Cfailure> failure =
        digest_pool_.finish([this] { progress_.waiting(); });
    if (!failure)
        return Cfault();
    const Cchecked_file& file = checked_[failure->id];
    if (failure->verdict == Cdigest_pool::Cverdict::unreadable)
        return fault_at(Ckind::destination_write_failed, file.dest_path);
    return fault_at(Ckind::source_damaged, file.source_path);
}

void Ccopier::check_later(const std::vector<Csha256_digest>& expected, bool whole_in_block,
                          std::uint64_t size, const std::wstring& staged_path,
                          const std::wstring& source_path, const std::wstring& dest_path)
{
    const std::size_t id = checked_.size();
    checked_.push_back({source_path, dest_path});
    if (whole_in_block)
        digest_pool_.check_bytes(id, block_.data(), static_cast<std::size_t>(size), expected);
    else
        digest_pool_.check_file(id, staged_path, expected);
}

Cfault Ccopier::flush_kept_files()
{
    const bool volume_flushed = kept_open_.empty() || flush_volume(folders_.dest_dir);
    Cfault fault;
    for (Ckept_file& kept : kept_open_) {
        const bool flushed = volume_flushed || FlushFileBuffers(kept.file.get());
        if ((!kept.file.close() || !flushed) && !fault.found())
            fault = fault_at(Ckind::destination_write_failed, kept.dest_path);
    }
    kept_open_.clear();
    return fault;
}

Cfault Ccopier::let_go_of(const std::wstring& staged_path)
{
    if (written_.insert(staged_path).second)
        return Cfault();  // its first writing: nothing holds it
    const Cfault checked = digests_checked();
    for (auto kept = kept_open_.begin(); kept != kept_open_.end(); ++kept) {
        if (kept->staged_path == staged_path) {
            kept_open_.erase(kept);
            break;
        }
    }
    return checked;
}

Cfault Ccopier::write_blocks(const std::wstring& source_path, const std::wstring& staged_path,
                             const std::wstring& dest_path, const Ctarget& target,
                             const std::vector<Csha256_digest>* expected,
                             std::uint64_t run_total, std::uint64_t& run_remaining)
{
    std::uint64_t size = 0;
    const Chandle source = open_source(source_path, size);
    if (!source.is_open())
        return fault_at(Ckind::source_open_failed, source_path);
    Chandle dest = open_staged(staged_path, target);
    if (!dest.is_open())
        return fault_at(Ckind::destination_open_failed, dest_path);
    progress_.file_opened();

    // Exactly the size taken at open is copied: a file that grows meanwhile cannot
    // push the counts below zero, and one that shrinks ends in a read of no bytes.
    std::uint64_t file_remaining = size;
    int reads = 0;
    while (file_remaining > 0) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(block_size, file_remaining));
        const std::size_t got = read_some(source.get(), block_.data(), wanted);
        if (got == 0)
            return fault_at(Ckind::source_read_failed, source_path);
        ++reads;
        if (!write_all(dest.get(), block_.data(), got))
            return fault_at(Ckind::destination_write_failed, dest_path);

        file_remaining -= got;
        run_remaining -= std::min<std::uint64_t>(got, run_remaining);
        progress_.block_written(run_total - run_remaining, run_total, size - file_remaining, size);
    }
    const Cfault fault = file_done(dest, size, staged_path, dest_path);
    // Bytes that are not the listed ones never reach the installation: the phase
    // ends only once every file handed over is checked.
    if (!fault.found() && expected)
        check_later(*expected, reads <= 1, size, staged_path, source_path, dest_path);
    return fault;
}

Cfault Ccopier::finish_file(Chandle& staged, std::uint64_t size, const std::wstring& staged_path,
                            const std::wstring& source_path, const std::wstring& dest_path)
{
    // Bytes that are not the listed ones never reach the installation.
    if (!digest_check_.matches())
        return fault_at(Ckind::source_damaged, source_path);
    return file_done(staged, size, staged_path, dest_path);
}

Cfault Ccopier::file_done(Chandle& staged, std::uint64_t size, const std::wstring& staged_path,
                          const std::wstring& dest_path)
{
    const Cfault fault = file_written(staged, staged_path, dest_path);
    if (!fault.found() && size > 0 && flush_each_file_)
        progress_.flushed();
    return fault;
}

namespace {

// A window of a patch is held in memory whole. xdelta3 writes windows of 8 MiB (16
// at the most); 64 MiB leaves room for other writers and stays within what a 32-bit
// process can count on having in one piece. A larger window is refused.
vcdiff::Cdecode_limits patch_limits()
{
    vcdiff::Cdecode_limits limits;
    limits.max_window_memory = std::uint64_t{64} << 20;
    return limits;
}

// The fault for a patch that could not be applied: the update data unreadable or
// damaged, the installed file unreadable, or the new file not written.
Cfault patch_fault(vcdiff::Cdecode_fault fault, const std::wstring& patch_path,
                   const std::wstring& dest_path)
{
    using F = vcdiff::Cdecode_fault;
    switch (fault) {
    case F::patch_read_failed:
        return fault_at(Ckind::source_read_failed, patch_path);
    case F::source_read_failed:
    case F::target_read_failed:
        return fault_at(Ckind::destination_open_failed, dest_path);
    case F::target_write_failed:
        return fault_at(Ckind::destination_write_failed, dest_path);
    default:
        break;
    }
    // Anything the patch says that does not fit is a damaged patch, never trusted.
    return fault_at(Ckind::source_damaged, patch_path);
}

}  // namespace

Cfault Ccopier::write_patched(const Cplanned_file& file, const std::wstring& staged_path,
                              const std::wstring& dest_path, std::uint64_t run_total,
                              std::uint64_t& run_remaining)
{
    const std::wstring patch_path = folders_.source(file.relative) + patch_suffix;
    const std::wstring installed = join_path(path_folder(dest_path), file.target.name_on_disk);
    patch_check_.start(expected_digests_ ? expected_digests_->find(file.relative + patch_suffix)
                                         : nullptr);
    digest_check_.start(&file.after);
    Cpatch_input patch(patch_check_);
    if (!patch.open(patch_path))
        return fault_at(Ckind::source_open_failed, patch_path);
    vcdiff::Cfile_source old_file;
    if (!old_file.open(installed))
        return fault_at(Ckind::destination_open_failed, dest_path);
    Chandle dest = open_staged(staged_path, file.target, GENERIC_READ | GENERIC_WRITE);
    if (!dest.is_open())
        return fault_at(Ckind::destination_open_failed, dest_path);
    progress_.file_opened();

    Crun_count count{run_total, &run_remaining, file.size, 0};
    Cstaged_target staged(dest.get(), digest_check_, progress_, count, block_size);
    const vcdiff::Cdecode_result decoded = vcdiff::decode(patch, old_file, staged, patch_limits());
    if (!decoded.ok())
        return patch_fault(decoded.fault, patch_path, dest_path);
    if (!patch_check_.matches())
        return fault_at(Ckind::source_damaged, patch_path);
    return finish_file(dest, decoded.target_size, staged_path, patch_path, dest_path);
}

Cfault Ccopier::file_written(Chandle& staged, const std::wstring& staged_path,
                             const std::wstring& dest_path)
{
    // Every byte has been handed to the system, so a failed write has shown by now;
    // a failed flush or close is a write that did not reach the disk.
    if (!flush_each_file_) {
        // Windows flushes "all open files on a volume" with it: only those still open.
        kept_open_.push_back({staged_path, dest_path, std::move(staged)});
        return kept_open_.size() < kept_open_limit ? Cfault() : flush_kept_files();
    }
    if (!FlushFileBuffers(staged.get()) || !staged.close())
        return fault_at(Ckind::destination_write_failed, dest_path);
    return Cfault();
}
