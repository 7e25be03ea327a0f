// libFuzzer target: a patch through the patch reader, decoded against a small fixed
// old file and scanned for its summary, built for the host with the address and
// undefined-behaviour sanitizers (scripts/fuzz). Besides memory errors it stops on any
// broken promise: a decode that succeeds where the summary refuses, sizes that
// differ between them, or a target that holds other than the bytes reported.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "delta/memory_streams.h"
#include "delta/vcdiff_decoder.h"
#include "delta/xdelta3_patches.h"

namespace {

void require(bool promise)
{
    if (!promise)
        std::abort();
}

// The old file of the seed patches made by xdelta3 ("small") starts the same way.
const std::string& old_file()
{
    static const std::string bytes = vcdiff_test::lcg_bytes(1, 64 * 1024);
    return bytes;
}

// Small enough that a patch claiming large windows is refused rather than run.
vcdiff::Cdecode_limits fuzz_limits()
{
    vcdiff::Cdecode_limits limits;
    limits.max_window_memory = 1024 * 1024;
    limits.block_size = 256;
    limits.block_count = 3;
    return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string patch(reinterpret_cast<const char*>(data), size);
    const vcdiff::Cdecode_limits limits = fuzz_limits();

    vcdiff_test::Cmemory_input decode_input(patch, 1 + size % 13);
    vcdiff_test::Cmemory_source source(old_file());
    vcdiff_test::Cmemory_target target;
    const vcdiff::Cdecode_result decoded = vcdiff::decode(decode_input, source, target, limits);
    require(decoded.target_size == target.bytes().size());
    require(decoded.patch_offset <= size);
    require(*vcdiff::fault_name(decoded.fault) != '\0');

    vcdiff_test::Cmemory_input scan_input(patch);
    vcdiff::Cpatch_summary summary;
    const vcdiff::Cdecode_result scanned = vcdiff::read_patch_summary(scan_input, summary, limits);
    require(scanned.patch_offset <= size && summary.largest_window <= summary.target_size);
    if (decoded.ok()) {
        require(scanned.ok() && summary.target_size == decoded.target_size);
        require(summary.windows == decoded.window && summary.source_size_needed <= old_file().size());
    }
    return 0;
}
