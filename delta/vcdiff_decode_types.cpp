#include "delta/vcdiff_decode_types.h"

namespace vcdiff {

const char* fault_name(Cdecode_fault fault)
{
    switch (fault) {
    case Cdecode_fault::none: return "none";
    case Cdecode_fault::patch_read_failed: return "patch_read_failed";
    case Cdecode_fault::truncated: return "truncated";
    case Cdecode_fault::not_vcdiff: return "not_vcdiff";
    case Cdecode_fault::unsupported_version: return "unsupported_version";
    case Cdecode_fault::unknown_header_bits: return "unknown_header_bits";
    case Cdecode_fault::secondary_compression: return "secondary_compression";
    case Cdecode_fault::custom_code_table: return "custom_code_table";
    case Cdecode_fault::unknown_window_bits: return "unknown_window_bits";
    case Cdecode_fault::compressed_sections: return "compressed_sections";
    case Cdecode_fault::bad_integer: return "bad_integer";
    case Cdecode_fault::section_lengths: return "section_lengths";
    case Cdecode_fault::window_too_large: return "window_too_large";
    case Cdecode_fault::target_too_large: return "target_too_large";
    case Cdecode_fault::segment_outside_source: return "segment_outside_source";
    case Cdecode_fault::segment_beyond_target: return "segment_beyond_target";
    case Cdecode_fault::instructions_cut: return "instructions_cut";
    case Cdecode_fault::data_section_short: return "data_section_short";
    case Cdecode_fault::address_section_short: return "address_section_short";
    case Cdecode_fault::address_out_of_range: return "address_out_of_range";
    case Cdecode_fault::past_window_end: return "past_window_end";
    case Cdecode_fault::window_short: return "window_short";
    case Cdecode_fault::sections_left_over: return "sections_left_over";
    case Cdecode_fault::checksum_mismatch: return "checksum_mismatch";
    case Cdecode_fault::source_read_failed: return "source_read_failed";
    case Cdecode_fault::target_read_failed: return "target_read_failed";
    case Cdecode_fault::target_write_failed: return "target_write_failed";
    }
    return "unknown";
}

}  // namespace vcdiff
