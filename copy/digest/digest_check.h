#pragma once
// The hashing of a patched file's bytes as the decoder writes them, and of the patch
// as it is read, compared with the digests listed before the file is put in place.
// Files copied whole are checked once written, on the digest pool (digest_pool.h).

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "util/sha256.h"

class Cblock_hasher;

// The digest of one file's bytes as they go by, compared with the list at the end.
// Large blocks are hashed on a thread of its own while the copier reads and writes
// the next one (under Wine the system's hash is slower than the copy); small ones,
// where handing over would cost more than it saves, on the caller's thread.
class Cdigest_check {
public:
    Cdigest_check();
    ~Cdigest_check();
    Cdigest_check(const Cdigest_check&) = delete;
    Cdigest_check& operator=(const Cdigest_check&) = delete;

    // A new file; with `expected` null nothing is checked for it.
    void start(const std::vector<Csha256_digest>* expected);
    // The bytes are copied before add() returns; the caller may reuse its buffer.
    void add(const void* bytes, std::size_t size);
    // True when the bytes added have every digest expected, or none was expected.
    // Once per file, after its last byte.
    bool matches();

private:
    void settle();  // waits for the blocks handed over

    const std::vector<Csha256_digest>* expected_ = nullptr;
    std::optional<Csha256> hash_;
    bool failed_ = false;  // the system's hash refused a block
    std::unique_ptr<Cblock_hasher> hasher_;  // made for the first file checked
};
