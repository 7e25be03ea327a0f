#include "check/digest_lint.h"

#include <algorithm>
#include <map>
#include <utility>

#include "check/messages.h"
#include "config/copy_sources.h"
#include "config/digest_list.h"
#include "copy/digest_check.h"
#include "copy/folder_listing.h"
#include "copy/update_plan.h"
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
    Cplan_fault fault;
    return plan_entry(sources, source_folder_name, normalized_entry(listed), found, is_folder,
                      fault) &&
           !is_folder;
}

// One line of the form: its file is copied and has the digest, or it checks nothing.
void check_line(const Clisted_digest& line, const std::map<std::wstring, Chashed>& hashed,
                Cfolder_cache& sources, Cfindings& findings)
{
    const std::wstring path = source_path(line.path);
    const auto file = hashed.find(digest_path_key(line.path));
    if (file == hashed.end())
        add(findings, line.line, Cseverity::warning,
            names_a_file(sources, line.path) ? check_msg::digest_listed_not_copied(path)
                                             : check_msg::digest_listed_missing(path));
    else if (!file->second.read)
        add(findings, line.line, Cseverity::error, check_msg::digest_source_unreadable(path));
    else if (!(file->second.digest == line.digest))
        add(findings, line.line, Cseverity::error,
            check_msg::digest_differs(path, digest_to_hex(file->second.digest)));
}

}  // namespace

Cdigest_summary check_digest_list(const std::vector<std::wstring>& copied, Cfindings& findings)
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

    // Each copied file once, hashed whole, as the copy would hash it.
    const Cexpected_digests expected(list.digests);
    std::map<std::wstring, Chashed> hashed;  // by digest_path_key
    std::vector<const Chashed*> in_copy_order;
    for (const std::wstring& relative : copied) {
        const auto inserted = hashed.insert({digest_path_key(relative), Chashed()});
        if (!inserted.second)
            continue;
        Chashed& file = inserted.first->second;
        file.relative = relative;
        if (expected.find(relative))
            file.read = sha256_of_file(source_path(relative), file.digest);
        in_copy_order.push_back(&file);
    }
    summary.copied = in_copy_order.size();

    // The lines in file order, the malformed ones (null) among them.
    std::vector<std::pair<int, const Clisted_digest*>> lines;
    for (const int line : list.bad_lines)
        lines.push_back({line, nullptr});
    for (const Clisted_digest& line : list.digests)
        lines.push_back({line.line, &line});
    std::sort(lines.begin(), lines.end());
    Cfolder_cache sources;
    for (const auto& line : lines) {
        if (!line.second)
            add(findings, line.first, Cseverity::error, check_msg::digest_line_malformed);
        else
            check_line(*line.second, hashed, sources, findings);
    }

    for (const Chashed* file : in_copy_order) {
        const std::vector<Csha256_digest>* listed = expected.find(file->relative);
        if (!listed) {
            add(findings, 0, Cseverity::error,
                check_msg::digest_not_listed(source_path(file->relative)));
            continue;
        }
        bool all_match = file->read;
        for (const Csha256_digest& digest : *listed)
            all_match = all_match && digest == file->digest;
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
    if (summary.verified == summary.copied && !summary.bad_lines)
        return check_msg::digests_all_match(summary.copied);
    std::wstring text = check_msg::digests_some_match(summary.copied, summary.verified);
    if (summary.bad_lines)
        text += check_msg::digests_bad_lines;
    return text;
}
