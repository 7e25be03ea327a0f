#include "check/digest_lint.h"

#include <map>

#include "check/messages.h"
#include "config/copy_sources.h"
#include "config/digest_list.h"
#include "copy/digest/expected_digests.h"
#include "copy/plan/folder_listing.h"
#include "copy/plan/update_plan.h"
#include "util/path.h"
#include "util/sha256.h"

namespace {

void add(Cfindings& findings, int line, Cseverity severity, const std::wstring& text)
{
    findings.push_back({line, severity, text, digest_list_name});
}

std::wstring source_path(const std::wstring& relative)
{
    return copy_source_path(source_folder_name, normalized_entry(relative));
}

// What one copied file's bytes hash to.
struct Chashed {
    std::wstring relative;
    bool is_patch = false;
    bool read = false;
    Csha256_digest digest{};
};

// A listed path names a file of the update data, found by the updater's rule.
bool names_a_file(Cfolder_cache& sources, const std::wstring& listed)
{
    if (is_unsafe_copy_entry(listed))
        return false;
    std::vector<Cplanned_file> found;
    bool is_folder = false;
    return !plan_entry(sources, source_folder_name, normalized_entry(listed), found, is_folder)
                .found() &&
           !is_folder;
}

// Each file the update copies once, in copy order, by digest_path_key.
struct Chashed_files {
    std::vector<Chashed> files;
    std::map<std::wstring, std::size_t> index;

    const Chashed* find(const std::wstring& path) const
    {
        const auto found = index.find(digest_path_key(path));
        return found == index.end() ? nullptr : &files[found->second];
    }
};

// One line of the form: its file is copied and has the digest, or it checks nothing.
void check_line(const Clisted_digest& line, const Chashed_files& hashed, Cfolder_cache& sources,
                Cfindings& findings)
{
    const std::wstring path = source_path(line.path);
    const Chashed* file = hashed.find(line.path);
    if (!file)
        add(findings, line.line, Cseverity::warning,
            names_a_file(sources, line.path) ? check_msg::digest_listed_not_copied(path)
                                             : check_msg::digest_listed_missing(path));
    else if (!file->read)
        add(findings, line.line, Cseverity::error, check_msg::digest_source_unreadable(path));
    else if (!(file->digest == line.digest))
        add(findings, line.line, Cseverity::error,
            check_msg::digest_differs(path, digest_to_hex(file->digest)));
}

}  // namespace

Cdigest_summary check_digest_list(const std::vector<std::wstring>& copied,
                                  const std::vector<std::wstring>& patches, Cfindings& findings)
{
    Cdigest_summary summary;
    const Cdigest_list list = read_digest_list(digest_list_name);
    if (list.status == Cdigest_list_status::absent)
        return summary;
    if (list.status == Cdigest_list_status::unreadable) {
        summary.state = Cdigest_list_state::unreadable;
        add(findings, 0, Cseverity::error, check_msg::digest_list_unreadable);
        return summary;
    }
    summary.state = Cdigest_list_state::read;
    summary.bad_lines = !list.bad_lines.empty();

    // Each copied file and each patch once, hashed whole, as the run would hash it.
    const Cexpected_digests expected(list.digests);
    Chashed_files hashed;
    const auto hash_once = [&](const std::wstring& relative, bool is_patch) {
        if (!hashed.index.insert({digest_path_key(relative), hashed.files.size()}).second)
            return;
        Chashed file;
        file.relative = relative;
        file.is_patch = is_patch;
        if (expected.find(relative))
            file.read = sha256_of_file(source_path(relative), file.digest);
        hashed.files.push_back(file);
        (is_patch ? summary.patches : summary.copied) += 1;
    };
    for (const std::wstring& relative : copied)
        hash_once(relative, false);
    for (const std::wstring& relative : patches)
        hash_once(relative, true);

    // The lines in file order: the good ones and the bad ones, each in file order.
    Cfolder_cache sources;
    auto bad = list.bad_lines.begin();
    for (const Clisted_digest& line : list.digests) {
        for (; bad != list.bad_lines.end() && *bad < line.line; ++bad)
            add(findings, *bad, Cseverity::error, check_msg::digest_line_malformed);
        check_line(line, hashed, sources, findings);
    }
    for (; bad != list.bad_lines.end(); ++bad)
        add(findings, *bad, Cseverity::error, check_msg::digest_line_malformed);

    for (const Chashed& file : hashed.files) {
        const std::vector<Csha256_digest>* listed = expected.find(file.relative);
        if (!listed) {
            const std::wstring path = source_path(file.relative);
            add(findings, 0, Cseverity::error,
                file.is_patch ? check_msg::digest_patch_not_listed(path)
                              : check_msg::digest_not_listed(path));
            continue;
        }
        bool all_match = file.read;
        for (const Csha256_digest& digest : *listed)
            all_match = all_match && digest == file.digest;
        summary.verified += all_match ? 1 : 0;
    }
    return summary;
}

std::wstring digest_summary_text(const Cdigest_summary& summary)
{
    switch (summary.state) {
    case Cdigest_list_state::absent:
        return check_msg::digests_absent;
    case Cdigest_list_state::unreadable:
        return check_msg::digests_unreadable;
    case Cdigest_list_state::read:
        break;
    }
    if (summary.verified == summary.copied + summary.patches && !summary.bad_lines)
        return check_msg::digests_all_match(summary.copied, summary.patches);
    std::wstring text =
        check_msg::digests_some_match(summary.copied, summary.patches, summary.verified);
    if (summary.bad_lines)
        text += check_msg::digests_bad_lines;
    return text;
}
