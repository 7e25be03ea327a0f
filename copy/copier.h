#pragma once
// The file copier: copies one file of the update data over the installation in
// blocks, showing its path and the progress of the file and of the whole run in
// the progress dialog, and letting the dialog handle its messages after every block.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ruko {
class Cwindow_base;
}

// What one update run needs across its files: the block buffer, allocated once for
// the run rather than once per file, and the bar positions last sent to the dialog,
// so that a bar is only told about a position it does not show yet.
class Ccopier {
public:
    static constexpr std::size_t block_size = 1000000;

    Ccopier();

    // Copies source_dir\relative_path to dest_dir\relative_path (creating its
    // folders), subtracting every byte copied from run_remaining. True when the
    // whole file was written; false after the user has been told why.
    bool copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                       std::uint64_t& run_remaining);

private:
    struct Cshown_position {
        HWND bar = nullptr;  // the bar window the position was sent to
        int position = -1;
    };

    void show_position(int bar, int position);

    std::vector<char> block_;
    Cshown_position shown_[2];
};

// One file with a block buffer of its own (a run copies through one Ccopier).
bool copy_one_file(const std::wstring& relative_path, std::uint64_t run_total,
                   std::uint64_t& run_remaining);

// A bar position from 0 to 1000 for `done` bytes of `total`: truncated, clamped,
// and 1000 when there is nothing to copy at all.
int progress_position(std::uint64_t done, std::uint64_t total);

// Shows a text in a toolkit window with every line feed turned into CR LF.
void set_text_crlf(ruko::Cwindow_base& control, const std::wstring& text);
