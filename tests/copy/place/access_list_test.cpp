// The access list of a replaced file goes to its new file where it holds entries
// of its own; a list all inherited is left to the new file's folder.

#include "copy/place/access_list.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

struct Cdescriptor {
    explicit Cdescriptor(const std::wstring& sddl)
    {
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                             &descriptor, nullptr);
    }
    ~Cdescriptor() { LocalFree(descriptor); }
    Cdescriptor(const Cdescriptor&) = delete;
    Cdescriptor& operator=(const Cdescriptor&) = delete;

    PSECURITY_DESCRIPTOR descriptor = nullptr;
};

bool explicit_in(const wchar_t* sddl)
{
    Cdescriptor sd(sddl);
    BOOL present = FALSE, defaulted = FALSE;
    ACL* dacl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(sd.descriptor, &present, &dacl, &defaulted)) << sddl;
    return has_explicit_entries(dacl, present != FALSE);
}

TEST(AccessList, only_entries_of_its_own_count)
{
    struct Ccase {
        const wchar_t* sddl;
        bool explicit_entries;
    } cases[] = {
        {L"D:(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)", false},  // all from the folder
        {L"D:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)", false},
        {L"D:(A;ID;FA;;;SY)(A;;0x1301bf;;;BU)", true},  // players may write it
        {L"D:(D;;FA;;;WD)(A;ID;FA;;;SY)", true},         // a deny of its own
        {L"D:P(A;;FA;;;SY)", true},                      // protected, set by hand
        {L"D:", true},                                   // an empty list: no one
        {L"D:NO_ACCESS_CONTROL", true},                  // a null list: everyone
        {L"O:SY", false},                                // no list given
    };
    for (const Ccase& c : cases)
        EXPECT_EQ(explicit_in(c.sddl), c.explicit_entries) << c.sddl;
}

std::wstring current_user_sid()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<BYTE> buffer(256);
    DWORD needed = 0;
    GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
    CloseHandle(token);
    wchar_t* text = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text);
    const std::wstring sid = text ? text : L"";
    LocalFree(text);
    return sid;
}

std::wstring access_list_of(const std::wstring& path)
{
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed ? needed : 1);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed,
                          &needed))
        return L"";
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::wstring sddl = text ? text : L"";
    LocalFree(text);
    return sddl;
}

// Wine keeps no access list of its own: it shows and takes one as the file's Unix
// mode. A list that leaves everyone else out (mode 600) is still one the new file
// must get, and the difference shows there too.
TEST(AccessList, the_new_file_gets_the_old_files_own_entries)
{
    Ctemp_folder folder;
    const std::wstring old_file = folder / L"settings.ini";
    const std::wstring new_file = folder / L"staged.new";
    write_file(old_file, "old");
    write_file(new_file, "new");
    Cdescriptor owner_only(L"D:(A;;FA;;;SY)(A;;FA;;;" + current_user_sid() + L")");
    ASSERT_TRUE(SetFileSecurityW(old_file.c_str(), DACL_SECURITY_INFORMATION, owner_only.descriptor));
    ASSERT_NE(access_list_of(old_file), access_list_of(new_file)) << "nothing to carry";

    Caccess_carrier access;
    EXPECT_TRUE(access.carry(old_file, new_file));
    EXPECT_EQ(access_list_of(new_file), access_list_of(old_file));
    EXPECT_EQ(read_file(new_file), "new");

    // A second pair of the same lists: the new file is given the list as well.
    write_file(folder / L"other.ini", "old");
    write_file(folder / L"other.new", "new");
    ASSERT_TRUE(SetFileSecurityW((folder / L"other.ini").c_str(), DACL_SECURITY_INFORMATION,
                                 owner_only.descriptor));
    EXPECT_TRUE(access.carry(folder / L"other.ini", folder / L"other.new"));
    EXPECT_EQ(access_list_of(folder / L"other.new"), access_list_of(old_file));
}

TEST(AccessList, an_old_file_that_cannot_be_read_changes_nothing)
{
    Ctemp_folder folder;
    const std::wstring new_file = folder / L"staged.new";
    write_file(new_file, "new");
    const std::wstring before = access_list_of(new_file);
    EXPECT_TRUE(Caccess_carrier().carry(folder / L"gone.ini", new_file));
    EXPECT_EQ(access_list_of(new_file), before);
}

}  // namespace
