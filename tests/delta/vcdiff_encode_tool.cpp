// vcdiff-encode OLD NEW PATCH [WINDOW_MIB]: the patch writer on files, for the round
// trips through xdelta3 -d (tests/delta/roundtrip.py) and the patch benchmark
// (bench/patch-run). Prints the time the writing took, without the program's start.

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "delta/vcdiff_encoder.h"

namespace {

class Cfile_handle {
public:
    explicit Cfile_handle(HANDLE handle) : handle_(handle) {}
    ~Cfile_handle()
    {
        if (open())
            CloseHandle(handle_);
    }
    Cfile_handle(const Cfile_handle&) = delete;
    Cfile_handle& operator=(const Cfile_handle&) = delete;
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

HANDLE open_for_reading(const wchar_t* path)
{
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// ReadFile takes at most 4 GiB less one byte at once; the writer asks for far less.
bool read_all(HANDLE file, void* bytes, std::size_t size, std::size_t& got)
{
    DWORD read = 0;
    if (!ReadFile(file, bytes, static_cast<DWORD>(size), &read, nullptr))
        return false;
    got = read;
    return true;
}

class Cold_file : public vcdiff::Csource {
public:
    explicit Cold_file(HANDLE file) : file_(file)
    {
        LARGE_INTEGER size{};
        GetFileSizeEx(file, &size);
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    }
    std::uint64_t size() const override { return size_; }
    bool read_at(std::uint64_t offset, void* bytes, std::size_t size) override
    {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        std::size_t got = 0;
        return SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) &&
               read_all(file_, bytes, size, got) && got == size;
    }

private:
    HANDLE file_;
    std::uint64_t size_ = 0;
};

class Cnew_file : public vcdiff::Cinput {
public:
    explicit Cnew_file(HANDLE file) : file_(file) {}
    bool read(void* bytes, std::size_t size, std::size_t& got) override
    {
        return read_all(file_, bytes, size, got);
    }

private:
    HANDLE file_;
};

class Cpatch_file : public vcdiff::Coutput {
public:
    explicit Cpatch_file(HANDLE file) : file_(file) {}
    bool write(const void* bytes, std::size_t size) override
    {
        DWORD written = 0;
        return WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) &&
               written == size;
    }

private:
    HANDLE file_;
};

const char* result_text(vcdiff::Cencode_result result)
{
    switch (result) {
    case vcdiff::Cencode_result::written:
        return "written";
    case vcdiff::Cencode_result::old_file_unreadable:
        return "the old file cannot be read";
    case vcdiff::Cencode_result::new_file_unreadable:
        return "the new file cannot be read";
    case vcdiff::Cencode_result::patch_unwritable:
        return "the patch cannot be written";
    }
    return "?";
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 && argc != 5) {
        std::fputs("usage: vcdiff-encode OLD NEW PATCH [WINDOW_MIB]\n", stderr);
        return 2;
    }
    Cfile_handle old_handle(open_for_reading(argv[1]));
    Cfile_handle new_handle(open_for_reading(argv[2]));
    Cfile_handle patch_handle(CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!old_handle.open() || !new_handle.open() || !patch_handle.open()) {
        std::fputs("vcdiff-encode: cannot open the files\n", stderr);
        return 1;
    }
    vcdiff::Cencode_options options;
    if (argc == 5)
        options.window_size = static_cast<std::size_t>(std::wcstoul(argv[4], nullptr, 10)) << 20;
    Cold_file old_file(old_handle.get());
    Cnew_file new_file(new_handle.get());
    Cpatch_file patch(patch_handle.get());
    LARGE_INTEGER frequency{}, started{}, ended{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    const vcdiff::Cencode_result result = vcdiff::encode(old_file, new_file, patch, options);
    QueryPerformanceCounter(&ended);
    std::printf("%s in %.3f s\n", result_text(result),
                double(ended.QuadPart - started.QuadPart) / double(frequency.QuadPart));
    return result == vcdiff::Cencode_result::written ? 0 : 1;
}
