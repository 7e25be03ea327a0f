#pragma once
// Reading a patch: VCDIFF (RFC 3284) as `xdelta3 -e -S none` writes it, with the
// default code table and xdelta3's application header and window checksum.
//
// The patch is read front to back, the old file only where the patch points and the
// new file written front to back, one window at a time: the memory a decode takes is
// one target window with its delta encoding, plus the source blocks of the limits,
// whatever the size of the files. Anything malformed is a fault, never trusted.

#include <cstddef>
#include <cstdint>

#include "delta/vcdiff_decode_types.h"
#include "delta/vcdiff_io.h"

namespace vcdiff {

struct Cdecode_result {
    Cdecode_fault fault = Cdecode_fault::none;
    // The window the fault is in, counted from 0; without a fault, the windows decoded.
    std::uint64_t window = 0;
    // How far the patch was read when the fault was found (for an instruction fault, to
    // the end of its window).
    std::uint64_t patch_offset = 0;
    // The bytes of the new file written.
    std::uint64_t target_size = 0;

    bool ok() const { return fault == Cdecode_fault::none; }
};

// Applies the patch to `source` (the old file) and writes the new file to `target`,
// window by window: each window in one write once its bytes are made and checked.
// On a fault the target holds the windows before the faulty one.
Cdecode_result decode(Cinput& patch, Csource& source, Ctarget& target,
                      const Cdecode_limits& limits = Cdecode_limits());

struct Cpatch_summary {
    std::uint64_t windows = 0;
    std::uint64_t target_size = 0;     // the sum of the target windows: the new file's size
    std::uint64_t largest_window = 0;  // the largest target window
    // The least size of an old file the patch fits: the end of its furthest source
    // segment (0 when no window reads the old file).
    std::uint64_t source_size_needed = 0;
};

// Reads the patch's headers without decoding: the file header and every window's
// header, skipping the sections, with the same refusals as decode() for what headers
// show. A patch that passes may still fail in its instructions or checksums.
Cdecode_result read_patch_summary(Cinput& patch, Cpatch_summary& summary,
                                  const Cdecode_limits& limits = Cdecode_limits());

}  // namespace vcdiff
