// The system's SHA-256, as the updater calls it, timed on one file: the file is read
// once into the system's cache first, then hashed `rounds` times through
// sha256_of_file. Prints one line: bytes, the best time in seconds, MB/s and the
// digest, so that bench.py can set it beside sha256sum on the same file.
//
//   hash_speed FILE [ROUNDS]

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "util/sha256.h"

namespace {

double seconds_now()
{
    LARGE_INTEGER frequency = {};
    LARGE_INTEGER counter = {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long long size_of(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fputs("usage: hash_speed FILE [ROUNDS]\n", stderr);
        return 2;
    }
    const std::wstring path = argv[1];
    const int rounds = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 3;
    const long long size = size_of(path);
    Csha256_digest digest{};
    if (size < 0 || !sha256_of_file(path, digest)) {  // also brings it into the cache
        std::fwprintf(stderr, L"cannot hash %ls\n", path.c_str());
        return 1;
    }
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const double started = seconds_now();
        sha256_of_file(path, digest);
        const double taken = seconds_now() - started;
        if (round == 0 || taken < best)
            best = taken;
    }
    std::wprintf(L"%lld bytes %.3f s %.0f MB/s %ls\n", size, best,
                 best > 0 ? static_cast<double>(size) / best / 1e6 : 0.0,
                 digest_to_hex(digest).c_str());
    return 0;
}
