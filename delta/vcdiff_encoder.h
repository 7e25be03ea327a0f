#pragma once
// The patch writer: a VCDIFF patch (RFC 3284) that turns the old file into the new one,
// readable by the updater and by xdelta3 -d.
//
// The new file is read front to back, one window at a time; the old file is read once
// to index its blocks, then where matches lead. Memory stays bounded whatever the files'
// sizes (offsets are 64-bit): the window, the index (capped) and a few pages of the old
// file.

#include <cstddef>
#include <cstdint>

#include "delta/vcdiff_io.h"

namespace vcdiff {

struct Cencode_options {
    // The bytes of the new file in one window (under 4 GiB); the writer holds about
    // three times this, plus the instructions it finds in a window.
    std::size_t window_size = 8 << 20;
    // The index of the old file's blocks holds at most this many (8 bytes each: 32 MiB);
    // an old file past 64 MiB has its blocks sampled further apart than every 16 bytes,
    // which costs little: on a 256 MiB archive (every 64 bytes), 0.06 % more patch than
    // with every 16 bytes, and 1 % more with 64 times fewer slots.
    std::size_t max_index_slots = std::size_t(1) << 22;
};

enum class Cencode_result { written, old_file_unreadable, new_file_unreadable, patch_unwritable };

Cencode_result encode(Csource& old_file, Cinput& new_file, Coutput& patch,
                      const Cencode_options& options = Cencode_options());

}  // namespace vcdiff
