#include "delta/vcdiff_source_index.h"

#include <algorithm>
#include <cstring>

namespace vcdiff {

namespace {

std::uint64_t load64(const unsigned char* bytes)
{
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The bytes read at once while the index is built.
constexpr std::size_t build_chunk = 1 << 20;

}  // namespace

std::uint64_t block_hash(const unsigned char* bytes)
{
    // Two multiplications by odd constants spread every input bit into the high bits,
    // which pick the slot; the final xor-shift brings them down into the check.
    std::uint64_t hash = load64(bytes) * 0x9E3779B97F4A7C15u;
    hash ^= load64(bytes + 8) * 0xC2B2AE3D27D4EB4Fu;
    hash ^= hash >> 29;
    hash *= 0x165667B19E3779F9u;
    return hash ^ (hash >> 32);
}

bool Csource_index::build(Csource& old_file, std::size_t max_slots)
{
    const std::uint64_t size = old_file.size();
    const std::uint64_t blocks_wanted = size / hashed_block_size;
    std::size_t slots = 1024;
    int bits = 10;
    while (slots < blocks_wanted && slots * 2 <= max_slots) {
        slots *= 2;
        ++bits;
    }
    // Samples no more than one block per slot: the table is then at most full.
    step_ = std::max<std::uint64_t>(hashed_block_size, (size + slots - 1) / slots);
    slot_shift_ = 64 - bits;
    slots_.assign(slots, Cslot());

    std::vector<unsigned char> chunk(build_chunk + hashed_block_size);
    for (std::uint64_t start = 0; start + hashed_block_size <= size; start += build_chunk) {
        const std::size_t length = static_cast<std::size_t>(
            std::min<std::uint64_t>(chunk.size(), size - start));
        if (!old_file.read_at(start, chunk.data(), length))
            return false;
        std::uint64_t block = (start + step_ - 1) / step_;
        for (; block * step_ + hashed_block_size <= start + length &&
               block * step_ < start + build_chunk;
             ++block)
            insert(block_hash(chunk.data() + (block * step_ - start)), block);
    }
    return true;
}

void Csource_index::insert(std::uint64_t hash, std::uint64_t block)
{
    Cslot& slot = slots_[slot_of(hash)];
    slot.check = static_cast<std::uint32_t>(hash);
    slot.block = static_cast<std::uint32_t>(block + 1);
}

bool Csource_index::find(std::uint64_t hash, std::uint64_t& offset) const
{
    if (slots_.empty())
        return false;
    const Cslot& slot = slots_[slot_of(hash)];
    if (slot.block == 0 || slot.check != static_cast<std::uint32_t>(hash))
        return false;
    offset = (slot.block - 1) * step_;
    return true;
}

Csource_pages::Csource_pages(Csource& old_file, std::size_t page_size, std::size_t page_count)
    : file_(old_file),
      file_size_(old_file.size()),
      page_size_(page_size),
      bytes_(page_size * page_count),
      held_(page_count, 0)
{
}

const unsigned char* Csource_pages::page_at(std::uint64_t offset, std::size_t& in_page,
                                            std::size_t& length)
{
    const std::uint64_t number = offset / page_size_;
    const std::size_t place = static_cast<std::size_t>(number % held_.size());
    unsigned char* page = bytes_.data() + place * page_size_;
    const std::uint64_t start = number * page_size_;
    length = static_cast<std::size_t>(std::min<std::uint64_t>(page_size_, file_size_ - start));
    in_page = static_cast<std::size_t>(offset - start);
    if (held_[place] != number + 1) {
        held_[place] = 0;
        if (failed_ || !file_.read_at(start, page, length)) {
            failed_ = true;
            return nullptr;
        }
        held_[place] = number + 1;
    }
    return page;
}

std::size_t Csource_pages::match_forward(std::uint64_t offset, const unsigned char* bytes,
                                         std::size_t size)
{
    if (offset >= file_size_)
        return 0;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, file_size_ - offset));
    std::size_t matched = 0;
    while (matched < size) {
        std::size_t in_page = 0, length = 0;
        const unsigned char* page = page_at(offset + matched, in_page, length);
        if (!page)
            return 0;
        const std::size_t span = std::min(size - matched, length - in_page);
        const std::size_t equal = common_prefix(page + in_page, bytes + matched, span);
        matched += equal;
        if (equal < span)
            break;
    }
    return matched;
}

std::size_t Csource_pages::match_backward(std::uint64_t end, const unsigned char* bytes_end,
                                          std::size_t size)
{
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, std::min(end, file_size_)));
    std::size_t matched = 0;
    while (matched < size) {
        std::size_t in_page = 0, length = 0;
        const unsigned char* page = page_at(end - matched - 1, in_page, length);
        if (!page)
            return 0;
        const std::size_t span = std::min(size - matched, in_page + 1);
        const std::size_t equal = common_suffix(page + in_page + 1, bytes_end - matched, span);
        matched += equal;
        if (equal < span)
            break;
    }
    return matched;
}

std::size_t common_prefix(const unsigned char* a, const unsigned char* b, std::size_t size)
{
    std::size_t i = 0;
    // Eight bytes at a time where they are equal: long matches are the common case.
    while (i + 8 <= size && load64(a + i) == load64(b + i))
        i += 8;
    while (i < size && a[i] == b[i])
        ++i;
    return i;
}

std::size_t common_suffix(const unsigned char* a_end, const unsigned char* b_end, std::size_t size)
{
    std::size_t i = 0;
    while (i + 8 <= size && load64(a_end - i - 8) == load64(b_end - i - 8))
        i += 8;
    while (i < size && *(a_end - i - 1) == *(b_end - i - 1))
        ++i;
    return i;
}

}  // namespace vcdiff
