#include "delta/vcdiff_decoder.h"

#include <algorithm>
#include <vector>

#include "delta/vcdiff_format.h"
#include "delta/vcdiff_headers.h"
#include "delta/vcdiff_window.h"

namespace vcdiff {

namespace {

// The new file as far as it is written, read like the old one: the source segment
// of a VCD_TARGET window.
class Cwritten_target : public Csource {
public:
    explicit Cwritten_target(Ctarget& target) : target_(target) {}
    std::uint64_t size() const override { return written; }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        return target_.read_back(offset, bytes, size);
    }

    std::uint64_t written = 0;

private:
    Ctarget& target_;
};

// Where the window's segment ends in its file; false past 64 bits, or when the
// segment and the window together would (the window's addresses count over both).
bool segment_end(const Cwindow_header& header, std::uint64_t& end)
{
    std::uint64_t addresses = 0;
    return add_without_overflow(header.segment_position, header.segment_size, end) &&
           add_without_overflow(header.segment_size, header.target_size, addresses);
}

class Cpatch_decoder {
public:
    Cpatch_decoder(Cinput& patch, Csource& source, Ctarget& target, const Cdecode_limits& limits);
    Cdecode_result run();

private:
    Cdecode_fault decode_next_window();
    Cdecode_fault find_segment(const Cwindow_header& header, Csegment& segment);
    Cdecode_fault write_window(const Cwindow_header& header);

    Cpatch_stream patch_;
    Csource& source_;
    Ctarget& target_;
    const Cdecode_limits& limits_;
    Cwritten_target written_;
    Cblock_cache source_blocks_;
    Cblock_cache target_blocks_;
    std::vector<unsigned char> sections_;
    std::vector<unsigned char> window_;
    std::uint64_t windows_ = 0;
};

Cpatch_decoder::Cpatch_decoder(Cinput& patch, Csource& source, Ctarget& target,
                               const Cdecode_limits& limits)
    : patch_(patch), source_(source), target_(target), limits_(limits), written_(target),
      source_blocks_(source, limits.block_size, limits.block_count),
      target_blocks_(written_, limits.block_size, limits.block_count)
{
}

Cdecode_result Cpatch_decoder::run()
{
    Cdecode_fault fault = read_file_header(patch_);
    while (fault == Cdecode_fault::none && !patch_.at_end()) {
        fault = decode_next_window();
        if (fault == Cdecode_fault::none)
            ++windows_;
    }
    if (fault == Cdecode_fault::none && patch_.end_fault() == Cdecode_fault::patch_read_failed)
        fault = Cdecode_fault::patch_read_failed;
    Cdecode_result result;
    result.fault = fault;
    result.window = windows_;
    result.patch_offset = patch_.offset();
    result.target_size = written_.written;
    return result;
}

Cdecode_fault Cpatch_decoder::decode_next_window()
{
    Cwindow_header header;
    Csegment segment;
    Cdecode_fault fault = read_window_header(patch_, limits_, header);
    if (fault == Cdecode_fault::none)
        fault = find_segment(header, segment);
    sections_.clear();
    if (fault == Cdecode_fault::none)
        fault = patch_.read_bytes(header.sections_size(), sections_);
    if (fault == Cdecode_fault::none)
        fault = decode_window(header, sections_, segment, window_);
    if (fault == Cdecode_fault::none)
        fault = write_window(header);
    return fault;
}

Cdecode_fault Cpatch_decoder::find_segment(const Cwindow_header& header, Csegment& segment)
{
    std::uint64_t end = 0;
    const bool fits = segment_end(header, end);
    if (header.from_source() && (!fits || end > source_.size()))
        return Cdecode_fault::segment_outside_source;
    if (header.from_target() && (!fits || end > written_.written))
        return Cdecode_fault::segment_beyond_target;
    segment.file = header.from_target() ? &target_blocks_ : &source_blocks_;
    segment.read_fault = header.from_target() ? Cdecode_fault::target_read_failed
                                              : Cdecode_fault::source_read_failed;
    segment.position = header.segment_position;
    segment.size = header.segment_size;
    return Cdecode_fault::none;
}

// The window leaves memory in one write, once its checksum holds.
Cdecode_fault Cpatch_decoder::write_window(const Cwindow_header& header)
{
    if (header.has_checksum && adler32(1, window_.data(), window_.size()) != header.checksum)
        return Cdecode_fault::checksum_mismatch;
    std::uint64_t written = 0;
    if (!add_without_overflow(written_.written, window_.size(), written))
        return Cdecode_fault::target_too_large;
    if (!target_.write(window_.data(), window_.size()))
        return Cdecode_fault::target_write_failed;
    written_.written = written;
    return Cdecode_fault::none;
}

// What read_patch_summary() learns from one window's header.
Cdecode_fault add_to_summary(const Cwindow_header& header, Cpatch_summary& summary)
{
    std::uint64_t end = 0;
    const bool fits = segment_end(header, end);
    if (header.from_source() && !fits)
        return Cdecode_fault::segment_outside_source;
    if (header.from_target() && (!fits || end > summary.target_size))
        return Cdecode_fault::segment_beyond_target;
    if (!add_without_overflow(summary.target_size, header.target_size, summary.target_size))
        return Cdecode_fault::target_too_large;
    if (header.from_source())
        summary.source_size_needed = std::max(summary.source_size_needed, end);
    summary.largest_window = std::max(summary.largest_window, header.target_size);
    ++summary.windows;
    return Cdecode_fault::none;
}

}  // namespace

Cdecode_result decode(Cinput& patch, Csource& source, Ctarget& target, const Cdecode_limits& limits)
{
    return Cpatch_decoder(patch, source, target, limits).run();
}

Cdecode_result read_patch_summary(Cinput& patch, Cpatch_summary& summary, const Cdecode_limits& limits)
{
    summary = Cpatch_summary();
    Cpatch_stream stream(patch);
    Cdecode_fault fault = read_file_header(stream);
    while (fault == Cdecode_fault::none && !stream.at_end()) {
        Cwindow_header header;
        fault = read_window_header(stream, limits, header);
        if (fault == Cdecode_fault::none)
            fault = add_to_summary(header, summary);
        if (fault == Cdecode_fault::none)
            fault = stream.skip(header.sections_size());
    }
    if (fault == Cdecode_fault::none && stream.end_fault() == Cdecode_fault::patch_read_failed)
        fault = Cdecode_fault::patch_read_failed;
    Cdecode_result result;
    result.fault = fault;
    result.window = summary.windows;
    result.patch_offset = stream.offset();
    result.target_size = summary.target_size;
    return result;
}

}  // namespace vcdiff
