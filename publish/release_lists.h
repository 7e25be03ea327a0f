#pragma once
// before.sha256 and after.sha256: every file of the old and of the new release with
// its digest, in the form the updater reads (the paths relative to the installation
// folder). The updater checks a patched file against them; the publisher can check
// any installation of either release with `sha256sum -c`.

#include <string>
#include <vector>

#include "publish/update_files.h"

// Every file below `root` (a full path), folder by folder with the names sorted as
// the comparison sorts them, and its digest. False when a folder or file cannot be
// read; `unreadable` is then its path relative to `root` (a folder's ends in '\').
// A link to a folder is not followed: the comparison already refuses it.
bool release_digests(const std::wstring& root, std::vector<Cfile_digest>& digests,
                     std::wstring& unreadable);
