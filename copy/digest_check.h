#pragma once
// The update data checked against gamedata.sha256, when it is given: every file the
// run copies must be listed there, and each file's bytes, hashed as the copier
// writes them (they are read once), must have the listed digest before the file is
// put in place.

#include <cstddef>
#include <map>
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

// The digest of one file's bytes as they go by, compared with the list at the end.
class Cdigest_check {
public:
    // A new file; with `expected` null nothing is checked for it.
    void start(const std::vector<Csha256_digest>* expected);
    void add(const void* bytes, std::size_t size);
    // True when the bytes added have every digest expected, or none was expected.
    // Once per file, after its last byte.
    bool matches();

private:
    const std::vector<Csha256_digest>* expected_ = nullptr;
    std::optional<Csha256> hash_;
    bool failed_ = false;  // the system's hash refused a block
};
