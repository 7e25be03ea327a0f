#pragma once
// The file copier: copies one file of the update data over the installation in
// blocks, showing its path and the progress of the file and of the whole run in
// the progress dialog, and letting the dialog handle its messages after every block.
//
// A file is never written in place: its bytes go to a temporary file beside the
// target, which then replaces the target in one move. A copy that fails at any
// point leaves the installed file as it was and no temporary file behind; so does a
// file whose bytes lack the digest that gamedata.sha256 lists for it.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "copy/digest_check.h"
#include "copy/file_digest.h"
#include "copy/progress_pacer.h"

namespace ruko {
class Cwindow_base;
}

// What the installation holds where a file goes, as its folder's listing showed it.
struct Ctarget {
    bool exists = false;
    std::wstring name_on_disk;  // file name only, in the letter case it has there
    DWORD attributes = 0;
    std::uint64_t size = 0;
};

// The suffix of the temporary file written beside a target ("data.arc" is written
// as "data.arc.update~" and then moved over "data.arc").
extern const wchar_t* const temporary_suffix;

// The attributes a temporary file is created with: the replaced file's hidden,
// system and archive attributes, so that the swap keeps them (the system also
// refuses to create a file over a hidden or system one without them).
DWORD temporary_file_attributes(const Ctarget& target);

// What one update run needs across its files: the block buffer, allocated once for
// the run rather than once per file, the latest state of the run, and what the
// dialog was last told, so that it is brought up to date at most once per frame
// and only with what it does not show yet.
class Ccopier {
public:
    static constexpr std::size_t block_size = 1000000;

    Ccopier();

    // Copies source_dir\relative_path over dest_dir\relative_path (creating its
    // folders), subtracting every byte copied from run_remaining. `target` is what
    // the installation holds there; null has the copier look it up. True when the
    // whole file is in place; false after the user has been told why.
    bool copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                       std::uint64_t& run_remaining, const Ctarget* target = nullptr);

    // From now on each file's bytes must have the digests `expected` lists for it
    // before the file is put in place; `expected` must outlive the copies.
    void check_digests(const Cexpected_digests& expected) { expected_digests_ = &expected; }

    // Brings the dialog up to date with the latest state at once, whatever the
    // frame: before a message box, and before the dialog goes away.
    void show_progress_now();

    // Shows the warning, then the closing notice, over an up-to-date dialog. False.
    bool fail(const std::wstring& text);

private:
    struct Cshown_position {
        HWND bar = nullptr;  // the bar window the position was sent to
        int position = -1;
    };

    // Writes the temporary file and moves it over the target; false after telling
    // the user (the caller removes what is left of the temporary file).
    bool write_and_swap(const std::wstring& source_path, const std::wstring& temporary_path,
                        const std::wstring& final_path, const std::wstring& dest_path,
                        const Ctarget& target, std::uint64_t run_total,
                        std::uint64_t& run_remaining);
    void refresh(bool now);
    void show_position(int bar, int position);

    std::vector<char> block_;
    const Cexpected_digests* expected_digests_ = nullptr;  // null: no file is checked
    Cdigest_check digest_check_;           // of the file being copied
    std::set<std::wstring> made_folders_;  // destination folders made (or found) this run
    Cprogress_pacer pacer_;
    bool started_ = false;  // the first file's path has been shown
    std::wstring text_;     // the latest state: the path of the file being copied...
    int positions_[2] = {-1, -1};  // ...and both bar positions (-1: none yet)
    HWND shown_text_window_ = nullptr;
    std::wstring shown_text_;
    Cshown_position shown_[2];
};

// One file with a block buffer of its own (a run copies through one Ccopier).
bool copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                   std::uint64_t& run_remaining);

// What the installation holds at `path`, looked up on its own.
Ctarget look_up_target(const std::wstring& path);

// A bar position from 0 to 1000 for `done` bytes of `total`: truncated, clamped,
// and 1000 when there is nothing to copy at all.
int progress_position(std::uint64_t done, std::uint64_t total);

// Shows a text in a toolkit window with every line feed turned into CR LF.
void set_text_crlf(ruko::Cwindow_base& control, const std::wstring& text);
