#include "copy/plan/patch_check.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "copy/digest/file_hash.h"
#include "util/path.h"

namespace {

using Ckind = Cfault::Ckind;

bool all_equal(const std::vector<Csha256_digest>& listed, const Csha256_digest& digest)
{
    return !listed.empty() && std::all_of(listed.begin(), listed.end(),
                                          [&](const Csha256_digest& d) { return d == digest; });
}

std::uint64_t installed_bytes(const std::vector<Cplanned_file>& plan)
{
    std::uint64_t total = 0;
    for (const Cplanned_file& file : plan) {
        if (file.patched)
            total += file.target.size;
    }
    return total;
}

enum class Cversion { before, after };

// Which listed version the installed file is; a fault when it is neither.
Cfault version_of(const Cplanned_file& file, const std::wstring& dest_dir, Crun_progress& progress,
                  std::uint64_t& done, std::uint64_t total, Cversion& version)
{
    const std::wstring dest_path = join_path(dest_dir, file.relative);
    if (!file.target.exists || (file.target.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fault_at(Ckind::patched_file_missing, dest_path);
    Csha256_digest digest{};
    switch (hash_file(dest_path, file.relative, progress, done, total, digest)) {
    case Cfile_hash::hashed:
        break;
    case Cfile_hash::missing:
        return fault_at(Ckind::patched_file_missing, dest_path);
    case Cfile_hash::unreadable:
        return fault_at(Ckind::destination_open_failed, dest_path);
    }
    if (all_equal(file.before, digest)) {
        version = Cversion::before;
        return Cfault();
    }
    if (all_equal(file.after, digest)) {
        version = Cversion::after;
        return Cfault();
    }
    return fault_at(Ckind::patched_file_other_version, dest_path);
}

}  // namespace

Cfault check_patched_targets(std::vector<Cplanned_file>& plan, const std::wstring& dest_dir,
                             Crun_progress& progress)
{
    const std::uint64_t total = installed_bytes(plan);
    std::uint64_t done = 0;
    std::vector<Cplanned_file> kept;
    for (Cplanned_file& file : plan) {
        Cversion version = Cversion::before;
        if (file.patched) {
            const Cfault fault = version_of(file, dest_dir, progress, done, total, version);
            if (fault.found())
                return fault;
        }
        if (version == Cversion::before)
            kept.push_back(std::move(file));
    }
    plan = std::move(kept);
    return Cfault();
}
