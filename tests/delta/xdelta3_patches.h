#pragma once
// Patches made by xdelta3 (xdelta3_patches.inc, by make_xdelta3_patches.py) and the
// recipes of the files they were made from, followed here as the script does.

#include <cstdint>
#include <string>
#include <vector>

namespace vcdiff_test {

struct Cpiece {
    enum Ckind { random, old, run, repeat };
    Ckind kind;
    std::uint32_t a;  // random: seed; old: offset; run: byte; repeat: seed
    std::uint32_t b;  // random, old, run: size; repeat: period
    std::uint32_t c;  // repeat: size
};

struct Cxdelta3_patch {
    const char* name;
    std::vector<Cpiece> old_file;
    std::vector<Cpiece> new_file;
    const char* fault;  // "" when the patch gives the new file
    std::vector<unsigned char> patch;
};

inline const std::vector<Cxdelta3_patch>& xdelta3_patches()
{
    static const std::vector<Cxdelta3_patch> patches = {
#include "xdelta3_patches.inc"
    };
    return patches;
}

inline std::string lcg_bytes(std::uint32_t seed, std::uint32_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = seed;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>((state >> 16) & 0xFF);
    }
    return bytes;
}

inline std::string make_file(const std::vector<Cpiece>& recipe, const std::string& old = "")
{
    std::string bytes;
    for (const Cpiece& piece : recipe) {
        if (piece.kind == Cpiece::random) {
            bytes += lcg_bytes(piece.a, piece.b);
        } else if (piece.kind == Cpiece::old) {
            bytes += old.substr(piece.a, piece.b);
        } else if (piece.kind == Cpiece::run) {
            bytes += std::string(piece.b, static_cast<char>(piece.a));
        } else {
            const std::string pattern = lcg_bytes(piece.a, piece.b);
            for (std::uint32_t i = 0; i < piece.c; ++i)
                bytes += pattern[i % piece.b];
        }
    }
    return bytes;
}

}  // namespace vcdiff_test
