#include "util/sha256.h"

#include <bcrypt.h>

#include <vector>

#include "util/file.h"
#include "util/system_dll.h"

namespace {

using Copen_provider = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using Cclose_provider = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG);
using Ccreate_hash = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG,
                                       PUCHAR, ULONG, ULONG);
using Chash_data = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using Cfinish_hash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using Cdestroy_hash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

// The SHA-256 provider, opened once for the process (opening it costs far more than
// one small file's hash) and closed when the process ends.
class Cprovider {
public:
    Cprovider()
    {
        const HMODULE bcrypt = load_system_dll(L"bcrypt.dll");
        const auto open = get_function<Copen_provider>(bcrypt, "BCryptOpenAlgorithmProvider");
        close_provider = get_function<Cclose_provider>(bcrypt, "BCryptCloseAlgorithmProvider");
        create_hash = get_function<Ccreate_hash>(bcrypt, "BCryptCreateHash");
        hash_data = get_function<Chash_data>(bcrypt, "BCryptHashData");
        finish_hash = get_function<Cfinish_hash>(bcrypt, "BCryptFinishHash");
        destroy_hash = get_function<Cdestroy_hash>(bcrypt, "BCryptDestroyHash");
        if (!open || !close_provider || !create_hash || !hash_data || !finish_hash ||
            !destroy_hash ||
            !BCRYPT_SUCCESS(open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            algorithm = nullptr;
    }
    ~Cprovider()
    {
        if (algorithm)
            close_provider(algorithm, 0);
    }
    Cprovider(const Cprovider&) = delete;
    Cprovider& operator=(const Cprovider&) = delete;

    BCRYPT_ALG_HANDLE algorithm = nullptr;
    Cclose_provider close_provider = nullptr;
    Ccreate_hash create_hash = nullptr;
    Chash_data hash_data = nullptr;
    Cfinish_hash finish_hash = nullptr;
    Cdestroy_hash destroy_hash = nullptr;
};

Cprovider& provider()
{
    static Cprovider the_provider;
    return the_provider;
}

int hex_digit_value(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

}  // namespace

Csha256::Csha256()
{
    Cprovider& p = provider();
    BCRYPT_HASH_HANDLE handle = nullptr;
    // A null object buffer lets CNG hold the hash object itself (Windows 7 and later).
    if (p.algorithm &&
        BCRYPT_SUCCESS(p.create_hash(p.algorithm, &handle, nullptr, 0, nullptr, 0, 0)))
        hash = handle;
}

Csha256::~Csha256()
{
    if (hash)
        provider().destroy_hash(hash);
}

bool Csha256::add(const void* data, std::size_t size)
{
    if (!hash)
        return false;
    auto bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    while (size > 0) {
        const ULONG part = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        if (!BCRYPT_SUCCESS(provider().hash_data(hash, bytes, part, 0)))
            return false;
        bytes += part;
        size -= part;
    }
    return true;
}

bool Csha256::finish(Csha256_digest& digest)
{
    if (!hash)
        return false;
    const ULONG size = static_cast<ULONG>(digest.size());
    const bool done = BCRYPT_SUCCESS(provider().finish_hash(hash, digest.data(), size, 0));
    provider().destroy_hash(hash);
    hash = nullptr;
    return done;
}

std::wstring digest_to_hex(const Csha256_digest& digest)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(digest.size() * 2);
    for (const unsigned char byte : digest) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

bool digest_from_hex(const wchar_t* text, std::size_t length, Csha256_digest& digest)
{
    if (length != digest.size() * 2)
        return false;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = hex_digit_value(text[2 * i]);
        const int low = hex_digit_value(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return true;
}

bool sha256_of_file(const std::wstring& path, Csha256_digest& digest)
{
    const Chandle file =
        open_file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    return file.is_open() && sha256_of_open_file(file.get(), digest);
}

bool sha256_of_open_file(HANDLE file, Csha256_digest& digest,
                         const std::function<void(std::size_t)>& after_block)
{
    Csha256 hash;
    if (!hash.ok())
        return false;
    std::vector<unsigned char> block(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr))
            return false;
        if (got == 0)
            break;
        if (!hash.add(block.data(), got))
            return false;
        if (after_block)
            after_block(got);
    }
    return hash.finish(digest);
}
