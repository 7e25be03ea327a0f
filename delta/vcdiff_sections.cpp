#include "delta/vcdiff_sections.h"

#include <vector>

namespace vcdiff {

namespace {

// The default table's codes found by what they do. A half of a code is keyed by its
// type, mode and size; sizes from half_sizes on only occur as "the size follows".
constexpr int half_sizes = 19;
constexpr int half_keys = 4 * Caddress_cache::mode_count * half_sizes;
constexpr int no_code = -1;

int half_key(Cinstruction_type type, unsigned char mode, std::size_t size)
{
    if (size >= static_cast<std::size_t>(half_sizes))
        return no_code;
    return (static_cast<int>(type) * Caddress_cache::mode_count + mode) * half_sizes +
           static_cast<int>(size);
}

class Ccode_finder {
public:
    Ccode_finder() : single_(half_keys, no_code), pair_(half_keys * half_keys, no_code)
    {
        const Ccode_table& table = default_code_table();
        for (int code = 0; code < 256; ++code) {
            const Chalf_code& first = table[code].first;
            const Chalf_code& second = table[code].second;
            const int key = half_key(first.type, first.mode, first.size);
            if (second.type == Cinstruction_type::noop)
                single_[key] = code;
            else
                pair_[key * half_keys + half_key(second.type, second.mode, second.size)] = code;
        }
    }

    // The code of one instruction of exactly this size, or no_code.
    int single(Cinstruction_type type, unsigned char mode, std::size_t size) const
    {
        const int key = half_key(type, mode, size);
        return key == no_code ? no_code : single_[key];
    }

    // The code of two instructions of exactly these sizes, or no_code. Size 0 never
    // pairs: a pair's sizes are its code's own.
    int pair(Cinstruction_type type1, unsigned char mode1, std::size_t size1,
             Cinstruction_type type2, unsigned char mode2, std::size_t size2) const
    {
        const int key1 = half_key(type1, mode1, size1);
        const int key2 = half_key(type2, mode2, size2);
        if (size1 == 0 || size2 == 0 || key1 == no_code || key2 == no_code)
            return no_code;
        return pair_[key1 * half_keys + key2];
    }

private:
    std::vector<int> single_;
    std::vector<int> pair_;
};

const Ccode_finder& code_finder()
{
    static const Ccode_finder finder;
    return finder;
}

}  // namespace

void Cwindow_sections::start(std::uint64_t source_size)
{
    data_.clear();
    instructions_.clear();
    addresses_.clear();
    cache_.reset();
    waiting_ = Cinstruction();
    source_size_ = source_size;
    here_ = source_size;
}

void Cwindow_sections::add(const unsigned char* bytes, std::size_t size)
{
    if (size == 0)
        return;
    data_.insert(data_.end(), bytes, bytes + size);
    push({Cinstruction_type::add, 0, size});
    here_ += size;
}

void Cwindow_sections::run(unsigned char byte, std::size_t size)
{
    if (size == 0)
        return;
    data_.push_back(byte);
    push({Cinstruction_type::run, 0, size});
    here_ += size;
}

void Cwindow_sections::copy(std::uint64_t address, std::size_t size)
{
    if (size == 0)
        return;
    push({Cinstruction_type::copy, address_mode(address), size});
    here_ += size;
}

void Cwindow_sections::finish()
{
    if (waiting_.type != Cinstruction_type::noop)
        write_single(waiting_);
    waiting_ = Cinstruction();
}

void Cwindow_sections::push(const Cinstruction& instruction)
{
    if (waiting_.type != Cinstruction_type::noop) {
        const int code = code_finder().pair(waiting_.type, waiting_.mode, waiting_.size,
                                            instruction.type, instruction.mode, instruction.size);
        if (code != no_code) {
            instructions_.push_back(static_cast<unsigned char>(code));
            waiting_ = Cinstruction();
            return;
        }
        write_single(waiting_);
    }
    waiting_ = instruction;
}

void Cwindow_sections::write_single(const Cinstruction& instruction)
{
    const int sized = code_finder().single(instruction.type, instruction.mode, instruction.size);
    if (sized != no_code) {
        instructions_.push_back(static_cast<unsigned char>(sized));
        return;
    }
    const int unsized = code_finder().single(instruction.type, instruction.mode, 0);
    instructions_.push_back(static_cast<unsigned char>(unsized));
    write_integer_to(instructions_, instruction.size);
}

// Writes the address in the mode that takes the fewest bytes (the first such mode on
// a tie) and records it in the cache as the reader will.
unsigned char Cwindow_sections::address_mode(std::uint64_t address)
{
    const std::size_t same_slot = address % (Caddress_cache::same_size * 256);
    unsigned char best_mode = 0;
    std::uint64_t best_value = address;
    std::size_t best_size = integer_size(address);
    auto consider = [&](unsigned char mode, std::uint64_t value) {
        const std::size_t size = integer_size(value);
        if (size < best_size) {
            best_mode = mode;
            best_value = value;
            best_size = size;
        }
    };
    consider(1, here_ - address);
    for (int slot = 0; slot < Caddress_cache::near_size; ++slot) {
        if (address >= cache_.near_address(slot))
            consider(static_cast<unsigned char>(2 + slot), address - cache_.near_address(slot));
    }
    if (best_size > 1 && cache_.same_address(same_slot) == address) {
        best_mode = static_cast<unsigned char>(Caddress_cache::first_same_mode + same_slot / 256);
        addresses_.push_back(static_cast<unsigned char>(same_slot % 256));
    } else {
        write_integer_to(addresses_, best_value);
    }
    cache_.update(address);
    return best_mode;
}

void Cwindow_sections::write_integer_to(std::vector<unsigned char>& section, std::uint64_t value)
{
    unsigned char bytes[max_integer_bytes];
    const std::size_t size = write_integer(value, bytes);
    section.insert(section.end(), bytes, bytes + size);
}

}  // namespace vcdiff
