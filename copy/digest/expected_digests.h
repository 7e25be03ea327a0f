#pragma once
// The update data checked against gamedata.sha256, when it is given: the digests it
// lists by file, matched to the files the run copies as entries are matched. Each
// file's bytes are then checked once written (digest_pool.h, digest_check.h).

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "session/update_info.h"
#include "util/sha256.h"

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
    std::vector<std::vector<Csha256_digest>> digests_;  // of each path listed
    std::map<std::wstring, std::size_t> by_path_;       // digest_path_key: index in digests_
};
