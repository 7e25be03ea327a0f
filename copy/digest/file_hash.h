#pragma once
// The digest of an installed file, read once in blocks with its progress reported:
// a patch is applied only to the version of the file it was made from, and a large
// archive takes seconds to read.

#include <cstdint>
#include <string>

#include "copy/base/run_progress.h"
#include "util/sha256.h"

enum class Cfile_hash { hashed, missing, unreadable };

// Hashes the file at `path`; `shown` is the name the progress gives it. Each block
// adds to run_done (of run_total) and is reported. Missing when there is no such
// file; unreadable when it cannot be opened or read to its end, or the system's
// hash refuses it.
Cfile_hash hash_file(const std::wstring& path, const std::wstring& shown, Crun_progress& progress,
                     std::uint64_t& run_done, std::uint64_t run_total, Csha256_digest& digest);
