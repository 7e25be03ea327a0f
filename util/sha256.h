#pragma once
// SHA-256 through the system's CNG (bcrypt.dll, loaded from the system folder): the
// hashing is Windows' own, and the updater imports nothing beyond kernel32 and the
// rest for it.

#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

using Csha256_digest = std::array<unsigned char, 32>;

// One running hash. Feed it with add() as the bytes go by, then finish() once.
// A hash whose provider could not be had (no bcrypt.dll) fails every call.
class Csha256 {
public:
    Csha256();
    ~Csha256();
    Csha256(const Csha256&) = delete;
    Csha256& operator=(const Csha256&) = delete;

    bool ok() const { return hash != nullptr; }
    bool add(const void* data, std::size_t size);
    // The digest of everything added; the hash cannot be fed afterwards.
    bool finish(Csha256_digest& digest);

private:
    void* hash = nullptr;  // a BCRYPT_HASH_HANDLE
};

// The digest as 64 lower-case hexadecimal digits, as sha256sum prints it.
std::wstring digest_to_hex(const Csha256_digest& digest);

// Reads 64 hexadecimal digits (either case) into a digest; false for anything else.
bool digest_from_hex(const wchar_t* text, std::size_t length, Csha256_digest& digest);

// The digest of a whole file, read in blocks; false when it cannot be opened or read.
bool sha256_of_file(const std::wstring& path, Csha256_digest& digest);

// The digest of what is left of an open file, read in blocks of 1 MiB to its end;
// `after_block` (when given) hears of each block's size once it is hashed. False
// when a read or the hash fails.
bool sha256_of_open_file(HANDLE file, Csha256_digest& digest,
                         const std::function<void(std::size_t)>& after_block = {});
