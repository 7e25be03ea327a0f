#pragma once
// A plain reading of a patch for the writer's tests: RFC 3284 with the default code
// table and xdelta3's window checksum, every field checked on the way.

#include <cstdint>
#include <string>

#include "delta/vcdiff_io.h"

namespace vcdiff_test {

struct Cdecoded {
    bool ok = false;
    std::string error;
    std::string target;
    int windows = 0;
    int windows_with_source = 0;
};

Cdecoded reference_decode(vcdiff::Csource& old_file, const std::string& patch);

}  // namespace vcdiff_test
