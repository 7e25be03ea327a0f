#include "copy/place/access_list.h"

#include "util/file.h"

namespace {

// The self-relative security descriptor of `path` with its access list; empty when
// it cannot be read. Most lists fit the first buffer, so one call reads them.
std::vector<BYTE> access_descriptor(const std::wstring& path)
{
    const std::wstring file = long_path(path);
    std::vector<BYTE> descriptor(512);
    DWORD needed = 0;
    while (!GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(),
                             static_cast<DWORD>(descriptor.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size())
            return {};
        descriptor.resize(needed);
    }
    descriptor.resize(GetSecurityDescriptorLength(descriptor.data()));
    return descriptor;
}

}  // namespace

bool has_explicit_entries(const ACL* dacl, bool dacl_present)
{
    if (!dacl_present)
        return false;
    if (!dacl || dacl->AceCount == 0)
        return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(const_cast<ACL*>(dacl), i, &ace) &&
            !(static_cast<const ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE))
            return true;
    }
    return false;
}

bool Caccess_carrier::carry(const std::wstring& from, const std::wstring& to)
{
    std::vector<BYTE> descriptor = access_descriptor(from);
    if (descriptor.empty())
        return true;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    ACL* dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted) ||
        !has_explicit_entries(dacl, present != FALSE))
        return true;
    if (descriptor == new_files_list_)
        return true;
    // A new file that holds the same list already is left alone.
    if (access_descriptor(to) == descriptor) {
        new_files_list_ = descriptor;
        return true;
    }
    // SetFileSecurityW sets the descriptor as it is, protection bit included, without
    // working out inheritance again from the staging folder the new file lies in.
    return SetFileSecurityW(long_path(to).c_str(), DACL_SECURITY_INFORMATION, descriptor.data()) !=
           FALSE;
}
