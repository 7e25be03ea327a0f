#include "delta/vcdiff_encoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "delta/vcdiff_format.h"
#include "delta/vcdiff_sections.h"
#include "delta/vcdiff_source_index.h"

namespace vcdiff {

namespace {

// The shortest repeats worth an instruction of their own: a run costs its code, its
// size and its byte; a copy from the window its code, size and an address of up to
// four bytes; a copy that goes on where the last copy from the old file left off (past
// a few changed bytes) has an address one byte long in the "near" mode.
constexpr std::size_t min_run = 8;
constexpr std::size_t target_hash_size = 8;
constexpr std::size_t min_continuation = 4;

// The pages of the old file kept for comparing: matches from a few places at once.
constexpr std::size_t source_page_size = 256 << 10;
constexpr std::size_t source_page_count = 16;

std::uint64_t target_hash(const unsigned char* bytes)
{
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value * 0x9E3779B97F4A7C15u;
}

enum class Cpiece_kind { add, run, source_copy, target_copy };

// One instruction of a window before the window's source segment is known: `from` is
// the old file's offset of a source copy, the window's position of a target copy.
struct Cpiece {
    Cpiece_kind kind = Cpiece_kind::add;
    std::size_t start = 0;
    std::size_t size = 0;
    std::uint64_t from = 0;
};

class Cencoder {
public:
    Cencoder(Csource& old_file, const Cencode_options& options)
        : old_file_(old_file),
          options_(options),
          pages_(old_file, source_page_size, source_page_count),
          window_(options.window_size)
    {
        std::size_t heads = 1024;
        while (heads < options.window_size / 4)
            heads *= 2;
        target_heads_.resize(heads);
        for (std::size_t size = heads; size > 1; size /= 2)
            ++target_hash_bits_;
    }

    bool build_index() { return index_.build(old_file_, options_.max_index_slots); }
    Cencode_result encode_all(Cinput& new_file, Coutput& patch);

private:
    bool read_window(Cinput& new_file, std::size_t& size);
    void find_pieces(std::size_t size);
    bool best_match_at(std::size_t position, std::size_t literal_start, Cpiece& best);
    void try_run(std::size_t position, std::size_t literal_start, Cpiece& best);
    void try_source(std::uint64_t from, std::size_t position, std::size_t literal_start,
                    std::size_t min_size, Cpiece& best);
    void try_target(std::size_t position, std::size_t literal_start, Cpiece& best);
    void note_piece(const Cpiece& piece);
    bool write_window(Coutput& patch, std::size_t size);
    void fill_sections();

    Csource& old_file_;
    Cencode_options options_;
    Csource_index index_;
    Csource_pages pages_;
    std::vector<unsigned char> window_;
    std::size_t window_size_ = 0;
    std::uint64_t window_start_ = 0;  // the new file's offset of the window
    // Per hash of target_hash_size bytes: the last window position with it, + 1.
    std::vector<std::uint32_t> target_heads_;
    int target_hash_bits_ = 0;
    std::vector<Cpiece> pieces_;
    Cwindow_sections sections_;
    std::uint64_t segment_start_ = 0;
    std::uint64_t segment_size_ = 0;
    // Where the last copy from the old file ended, in both files: a few changed bytes
    // later, the new file most likely goes on as the old one did.
    std::uint64_t last_old_end_ = 0;
    std::uint64_t last_new_end_ = 0;
};

Cencode_result Cencoder::encode_all(Cinput& new_file, Coutput& patch)
{
    const unsigned char header[5] = {magic[0], magic[1], magic[2], magic[3], 0};
    if (!patch.write(header, sizeof header))
        return Cencode_result::patch_unwritable;
    for (bool first = true;; first = false) {
        std::size_t size = 0;
        if (!read_window(new_file, size))
            return Cencode_result::new_file_unreadable;
        // An empty new file still gets one (empty) window.
        if (size == 0 && !first)
            break;
        find_pieces(size);
        if (pages_.failed())
            return Cencode_result::old_file_unreadable;
        if (!write_window(patch, size))
            return Cencode_result::patch_unwritable;
        window_start_ += size;
        if (size < window_.size())
            break;
    }
    return Cencode_result::written;
}

bool Cencoder::read_window(Cinput& new_file, std::size_t& size)
{
    size = 0;
    while (size < window_.size()) {
        std::size_t got = 0;
        if (!new_file.read(window_.data() + size, window_.size() - size, got))
            return false;
        if (got == 0)
            break;
        size += got;
    }
    return true;
}

// Walks the window from the front: at each position the longest match found is taken
// and the walk goes on past it; bytes no match covers become adds.
void Cencoder::find_pieces(std::size_t size)
{
    window_size_ = size;
    pieces_.clear();
    std::fill(target_heads_.begin(), target_heads_.end(), 0);
    std::size_t literal_start = 0;
    std::size_t position = 0;
    while (position < size) {
        Cpiece match;
        if (!best_match_at(position, literal_start, match)) {
            ++position;
            continue;
        }
        if (match.start > literal_start)
            pieces_.push_back({Cpiece_kind::add, literal_start, match.start - literal_start, 0});
        note_piece(match);
        position = literal_start = match.start + match.size;
    }
    if (literal_start < size)
        pieces_.push_back({Cpiece_kind::add, literal_start, size - literal_start, 0});
}

void Cencoder::note_piece(const Cpiece& piece)
{
    pieces_.push_back(piece);
    if (piece.kind == Cpiece_kind::source_copy) {
        last_old_end_ = piece.from + piece.size;
        last_new_end_ = window_start_ + piece.start + piece.size;
    }
}

bool Cencoder::best_match_at(std::size_t position, std::size_t literal_start, Cpiece& best)
{
    best.size = 0;
    try_run(position, literal_start, best);
    const std::uint64_t here = window_start_ + position;
    if (here >= last_new_end_ && last_new_end_ > 0)
        try_source(last_old_end_ + (here - last_new_end_), position, literal_start,
                   min_continuation, best);
    if (position + hashed_block_size <= window_size_) {
        std::uint64_t offset = 0;
        if (index_.find(block_hash(window_.data() + position), offset))
            try_source(offset, position, literal_start, hashed_block_size, best);
    }
    if (position + target_hash_size <= window_size_)
        try_target(position, literal_start, best);
    return best.size > 0;
}

void Cencoder::try_run(std::size_t position, std::size_t literal_start, Cpiece& best)
{
    const unsigned char* bytes = window_.data();
    if (position + min_run > window_size_ || bytes[position] != bytes[position + min_run - 1])
        return;
    std::size_t end = position + 1;
    while (end < window_size_ && bytes[end] == bytes[position])
        ++end;
    std::size_t start = position;
    while (start > literal_start && bytes[start - 1] == bytes[position])
        --start;
    if (end - start >= min_run && end - start > best.size)
        best = {Cpiece_kind::run, start, end - start, 0};
}

void Cencoder::try_source(std::uint64_t from, std::size_t position, std::size_t literal_start,
                          std::size_t min_size, Cpiece& best)
{
    const unsigned char* bytes = window_.data() + position;
    const std::size_t ahead = pages_.match_forward(from, bytes, window_size_ - position);
    if (ahead < min_size)
        return;
    const std::size_t behind = pages_.match_backward(from, bytes, position - literal_start);
    if (ahead + behind > best.size)
        best = {Cpiece_kind::source_copy, position - behind, ahead + behind, from - behind};
}

void Cencoder::try_target(std::size_t position, std::size_t literal_start, Cpiece& best)
{
    const unsigned char* bytes = window_.data();
    const std::size_t head = static_cast<std::size_t>(
        target_hash(bytes + position) >> (64 - target_hash_bits_));
    const std::size_t earlier = target_heads_[head];
    target_heads_[head] = static_cast<std::uint32_t>(position + 1);
    if (earlier == 0)
        return;
    const std::size_t from = earlier - 1;
    // The copy may reach into the bytes it writes (a repeat of a short pattern): the
    // reader writes them in order, so comparing the window with itself is right.
    const std::size_t ahead =
        common_prefix(bytes + from, bytes + position, window_size_ - position);
    if (ahead < target_hash_size)
        return;
    const std::size_t behind =
        common_suffix(bytes + from, bytes + position, std::min(from, position - literal_start));
    if (ahead + behind > best.size)
        best = {Cpiece_kind::target_copy, position - behind, ahead + behind, from - behind};
}

// The segment of the old file a window copies from spans all its source copies.
void Cencoder::fill_sections()
{
    std::uint64_t low = UINT64_MAX, high = 0;
    for (const Cpiece& piece : pieces_) {
        if (piece.kind == Cpiece_kind::source_copy) {
            low = std::min(low, piece.from);
            high = std::max(high, piece.from + piece.size);
        }
    }
    segment_start_ = low == UINT64_MAX ? 0 : low;
    segment_size_ = high - segment_start_;
    if (low == UINT64_MAX)
        segment_size_ = 0;
    sections_.start(segment_size_);
    for (const Cpiece& piece : pieces_) {
        switch (piece.kind) {
        case Cpiece_kind::add:
            sections_.add(window_.data() + piece.start, piece.size);
            break;
        case Cpiece_kind::run:
            sections_.run(window_[piece.start], piece.size);
            break;
        case Cpiece_kind::source_copy:
            sections_.copy(piece.from - segment_start_, piece.size);
            break;
        case Cpiece_kind::target_copy:
            sections_.copy(segment_size_ + piece.from, piece.size);
            break;
        }
    }
    sections_.finish();
}

void append_integer(std::vector<unsigned char>& out, std::uint64_t value)
{
    unsigned char bytes[max_integer_bytes];
    out.insert(out.end(), bytes, bytes + write_integer(value, bytes));
}

bool Cencoder::write_window(Coutput& patch, std::size_t size)
{
    fill_sections();
    const bool has_source = segment_size_ > 0;
    std::vector<unsigned char> header;
    header.push_back(static_cast<unsigned char>(win_adler32 | (has_source ? win_source : 0)));
    if (has_source) {
        append_integer(header, segment_size_);
        append_integer(header, segment_start_);
    }
    std::vector<unsigned char> delta;
    append_integer(delta, size);
    delta.push_back(0);  // no section is compressed
    append_integer(delta, sections_.data().size());
    append_integer(delta, sections_.instructions().size());
    append_integer(delta, sections_.addresses().size());
    const std::uint32_t checksum = adler32(1, window_.data(), size);
    for (int shift = 24; shift >= 0; shift -= 8)
        delta.push_back(static_cast<unsigned char>(checksum >> shift));
    append_integer(header, delta.size() + sections_.data().size() +
                               sections_.instructions().size() + sections_.addresses().size());
    header.insert(header.end(), delta.begin(), delta.end());
    return patch.write(header.data(), header.size()) &&
           patch.write(sections_.data().data(), sections_.data().size()) &&
           patch.write(sections_.instructions().data(), sections_.instructions().size()) &&
           patch.write(sections_.addresses().data(), sections_.addresses().size());
}

}  // namespace

Cencode_result encode(Csource& old_file, Cinput& new_file, Coutput& patch,
                      const Cencode_options& options)
{
    Cencoder encoder(old_file, options);
    if (!encoder.build_index())
        return Cencode_result::old_file_unreadable;
    return encoder.encode_all(new_file, patch);
}

}  // namespace vcdiff
