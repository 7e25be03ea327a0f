#pragma once
// The publisher's check of gamedata.sha256: the list read with the updater's own
// reader, its lines matched to the files the update copies by the updater's rule,
// and every copied file hashed, so that what the updater would refuse shows before
// the update ships.

#include <cstddef>
#include <string>
#include <vector>

#include "check/finding.h"

enum class Cdigest_list_state { absent, unreadable, read };

// Whether every file the update copies was verified.
struct Cdigest_summary {
    Cdigest_list_state state = Cdigest_list_state::absent;
    bool bad_lines = false;     // a line the updater cannot read: it stops at once
    std::size_t copied = 0;     // files the update copies, each path once
    std::size_t patches = 0;    // patches it applies (not copied too)
    std::size_t verified = 0;   // of both, listed and with every digest listed
};

// Checks the list beside update.ini (the current folder) against the files that
// `copied` names and the patches that `patches` names (relative to gamedata, in
// copy order and entry order) and appends its findings: the list unreadable, then
// line by line, then files and patches that are not listed. The updater checks a
// patch's own digest as it checks a copied file's.
Cdigest_summary check_digest_list(const std::vector<std::wstring>& copied,
                                  const std::vector<std::wstring>& patches, Cfindings& findings);

// The summary line's text, after its label.
std::wstring digest_summary_text(const Cdigest_summary& summary);
