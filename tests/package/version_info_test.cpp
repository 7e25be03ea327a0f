// The version resource as Windows reads it (GetFileVersionInfoW, what the file's
// Details tab shows), and the icon option, on the built programs.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "expected_version.h"

namespace {

class Cversion_info {
public:
    explicit Cversion_info(const wchar_t* path)
    {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        if (size == 0)
            return;
        data_.resize(size);
        if (!GetFileVersionInfoW(path, 0, size, data_.data()))
            data_.clear();
    }

    bool present() const { return !data_.empty(); }

    const VS_FIXEDFILEINFO* fixed() const
    {
        return static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    }

    // A value of the string table that the translation list names first; nullptr
    // when there is none.
    const wchar_t* string(const std::wstring& key) const
    {
        const WORD* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
        if (!translation)
            return nullptr;
        wchar_t block[64];
        swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
        return static_cast<const wchar_t*>(query(block + key));
    }

private:
    const void* query(const std::wstring& what) const
    {
        void* value = nullptr;
        UINT length = 0;
        if (data_.empty() ||
            !VerQueryValueW(data_.data(), what.c_str(), &value, &length) || length == 0)
            return nullptr;
        return value;
    }

    std::vector<unsigned char> data_;
};

// What a program's string table must hold; nullptr: present and not empty.
struct Cexpected_strings {
    const wchar_t* exe;
    const wchar_t* company;
    const wchar_t* product;
    const wchar_t* description;
    const wchar_t* copyright;
    const wchar_t* original_filename;
};

TEST(VersionInfo, StringsAndNumbersOfEveryProgram)
{
    const std::wstring probe_copyright = std::wstring(L"Copyright (C) ") + expected::probe_company;
    const Cexpected_strings programs[] = {
        // The shipped exe is built apart and may carry a publisher's names: those
        // of this build are checked on the test build and the probe.
        {expected::shipped_exe, nullptr, nullptr, L"Game updater", nullptr, L"updater.exe"},
        {expected::test_exe, expected::company, expected::product, L"Game updater",
         expected::copyright, L"updater.exe"},
        {expected::probe_exe, expected::probe_company, expected::probe_product,
         expected::probe_description, probe_copyright.c_str(), L"probe.exe"},
    };
    for (const Cexpected_strings& program : programs) {
        SCOPED_TRACE(program.exe);
        const Cversion_info info(program.exe);
        ASSERT_TRUE(info.present());
        const struct {
            const wchar_t* key;
            const wchar_t* value;
        } strings[] = {
            {L"CompanyName", program.company},
            {L"ProductName", program.product},
            {L"FileDescription", program.description},
            {L"LegalCopyright", program.copyright},
            {L"OriginalFilename", program.original_filename},
            {L"FileVersion", expected::version},
            {L"ProductVersion", expected::version},
        };
        for (const auto& s : strings) {
            const wchar_t* value = info.string(s.key);
            if (s.value)
                EXPECT_EQ(value ? std::wstring(value) : L"(missing)", s.value) << s.key;
            else
                EXPECT_TRUE(value && *value) << s.key << " is missing or empty";
        }

        const VS_FIXEDFILEINFO* fixed = info.fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(expected::minor, expected::major)));
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, expected::patch)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    }
}

BOOL CALLBACK count_resource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The icon resources of a program: {groups, images}; {-1, -1} when it cannot be read.
std::pair<int, int> icon_count(const wchar_t* exe)
{
    const HMODULE module =
        LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return {-1, -1};
    int groups = 0, images = 0;
    EnumResourceNamesW(module, RT_GROUP_ICON, count_resource, reinterpret_cast<LONG_PTR>(&groups));
    EnumResourceNamesW(module, RT_ICON, count_resource, reinterpret_cast<LONG_PTR>(&images));
    FreeLibrary(module);
    return {groups, images};
}

std::string file_bytes(const wchar_t* path)
{
    std::string bytes;
    if (FILE* file = _wfopen(path, L"rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, n);
        fclose(file);
    }
    return bytes;
}

TEST(VersionInfo, WithoutAnIconOptionTheUpdaterHasNoIcon)
{
    if (expected::test_exe_has_icon)
        GTEST_SKIP() << "this build was given an icon";
    EXPECT_EQ(icon_count(expected::test_exe), std::make_pair(0, 0));
}

TEST(VersionInfo, TheGivenIconIsTheProgramsIconByteForByte)
{
    EXPECT_EQ(icon_count(expected::probe_exe), std::make_pair(1, 1));

    // The .ico holds one image: its bytes are at the offset its directory gives.
    const std::string ico = file_bytes(expected::probe_icon);
    ASSERT_GT(ico.size(), 22u);
    DWORD image_size = 0, image_offset = 0;
    memcpy(&image_size, ico.data() + 6 + 8, 4);
    memcpy(&image_offset, ico.data() + 6 + 12, 4);
    ASSERT_EQ(image_offset + image_size, ico.size());

    const HMODULE module = LoadLibraryExW(expected::probe_exe, nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(1), RT_ICON);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(SizeofResource(module, image), image_size);
    const void* bytes = LockResource(LoadResource(module, image));
    EXPECT_EQ(memcmp(bytes, ico.data() + image_offset, image_size), 0);
    FreeLibrary(module);
}

}  // namespace
