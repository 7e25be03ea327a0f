#include "copy/access_list.h"

#include <vector>

#include "util/file.h"

namespace {

// The self-relative security descriptor of `path` with its access list; empty when
// it cannot be read.
std::vector<BYTE> access_descriptor(const std::wstring& path)
{
    DWORD needed = 0;
    GetFileSecurityW(long_path(path).c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return {};
    std::vector<BYTE> descriptor(needed);
    if (!GetFileSecurityW(long_path(path).c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed,
                          &needed))
        return {};
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

bool carry_explicit_access(const std::wstring& from, const std::wstring& to)
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
    // SetFileSecurityW sets the descriptor as it is, protection bit included, without
    // working out inheritance again from the staging folder the new file lies in.
    return SetFileSecurityW(long_path(to).c_str(), DACL_SECURITY_INFORMATION, descriptor.data()) != FALSE;
}
