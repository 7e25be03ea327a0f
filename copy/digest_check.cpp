#include "copy/digest_check.h"

#include <algorithm>

#include "copy/update_plan.h"
#include "session/messages.h"
#include "session/notices.h"
#include "util/path.h"

Cexpected_digests::Cexpected_digests(const std::vector<Clisted_digest>& listed) : active_(true)
{
    for (const Clisted_digest& line : listed)
        by_path_[digest_path_key(line.path)].push_back(line.digest);
}

const std::vector<Csha256_digest>* Cexpected_digests::find(const std::wstring& relative) const
{
    const auto found = by_path_.find(digest_path_key(relative));
    return found == by_path_.end() ? nullptr : &found->second;
}

Cexpected_digests expected_digests_of_update()
{
    return update_info.has_digest_list ? Cexpected_digests(update_info.listed_digests)
                                       : Cexpected_digests();
}

std::wstring digest_path_key(const std::wstring& path)
{
    return lower_ascii_copy(normalized_entry(path));
}

bool check_plan_listed(const Cexpected_digests& expected, const std::vector<Cplanned_file>& plan)
{
    if (!expected.active())
        return true;
    for (const Cplanned_file& file : plan) {
        if (!expected.find(file.relative))
            return fail_update(
                msg::source_not_in_digest_list(update_info.source_dir + L"\\" + file.relative));
    }
    return true;
}

void Cdigest_check::start(const std::vector<Csha256_digest>* expected)
{
    expected_ = expected;
    failed_ = false;
    hash_.reset();
    if (expected_)
        hash_.emplace();
}

void Cdigest_check::add(const void* bytes, std::size_t size)
{
    if (hash_ && !failed_)
        failed_ = !hash_->add(bytes, size);
}

bool Cdigest_check::matches()
{
    if (!expected_)
        return true;
    Csha256_digest digest{};
    // A hash the system could not make proves nothing: the file counts as differing.
    const bool hashed = hash_ && !failed_ && hash_->finish(digest);
    const std::vector<Csha256_digest>& expected = *expected_;
    expected_ = nullptr;
    hash_.reset();
    return hashed && std::all_of(expected.begin(), expected.end(),
                                 [&](const Csha256_digest& listed) { return listed == digest; });
}
