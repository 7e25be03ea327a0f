#pragma once
// The update data checked against gamedata.sha256, when it is given: every file the
// run copies must be listed there, and each file's bytes, hashed as the copier
// writes them (they are read once), must have the listed digest before the file is
// put in place.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/update_info.h"
#include "util/sha256.h"

struct Cplanned_file;

// The digests of the list by file. Without a list nothing is expected of any file.
class Cexpected_digests {
public:
    Cexpected_digests() = default;
    explicit Cexpected_digests(const std::vector<Clisted_digest>& listed);

    bool active() const { return active_; }
    // The digests listed for a file of the update data (more than one when it is
    // listed more than once); null when it is not listed.
    const std::vector<Csha256_digest>* find(const std::wstring& relative) const;

private:
    bool active_ = false;
    std::map<std::wstring, std::vector<Csha256_digest>> by_path_;
};

// What the update record holds: the list read from gamedata.sha256, or none.
Cexpected_digests expected_digests_of_update();

// A path below gamedata as the list's paths and the plan's are matched, by the rule
// of the entries: '\' or '/' between folders, empty and "." steps dropped, letters
// A to Z in either case, every other character exactly.
std::wstring digest_path_key(const std::wstring& path);

// After the Yes, before anything is written: every file of the plan is listed.
// False after telling the user which one is not.
bool check_plan_listed(const Cexpected_digests& expected, const std::vector<Cplanned_file>& plan);

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
