#include "copy/digest/expected_digests.h"

#include "util/path.h"

Cexpected_digests::Cexpected_digests(const std::vector<Clisted_digest>& listed) : active_(true)
{
    for (const Clisted_digest& line : listed) {
        const auto added = by_path_.insert({digest_path_key(line.path), digests_.size()});
        if (added.second)
            digests_.emplace_back();
        digests_[added.first->second].push_back(line.digest);
    }
}

const std::vector<Csha256_digest>* Cexpected_digests::find(const std::wstring& relative) const
{
    const auto found = by_path_.find(digest_path_key(relative));
    return found == by_path_.end() ? nullptr : &digests_[found->second];
}
