#include "copy/place/access_list.h"

#include "util/file.h"

namespace {

// A self-relative security descriptor with its access list, read by `read` (a call
// with the buffer, its size and the size needed); empty when it cannot be read.
// Most lists fit the first buffer, so one call reads them.
template <class Cread>
std::vector<BYTE> read_descriptor(Cread read)
{
    std::vector<BYTE> descriptor(512);
    DWORD needed = 0;
    while (!read(descriptor.data(), static_cast<DWORD>(descriptor.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size())
            return {};
        descriptor.resize(needed);
    }
    descriptor.resize(GetSecurityDescriptorLength(descriptor.data()));
    return descriptor;
}

std::vector<BYTE> access_descriptor(const std::wstring& path)
{
    const std::wstring file = long_path(path);
    return read_descriptor([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, buffer, size, needed);
    });
}

}  // namespace

std::vector<BYTE> access_descriptor(HANDLE file)
{
    return read_descriptor([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, buffer, size, needed);
    });
}

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
    return carry(std::vector<BYTE>(), from, to);
}

bool Caccess_carrier::carry(std::vector<BYTE> descriptor, const std::wstring& from,
                            const std::wstring& to)
{
    if (descriptor.empty())
        descriptor = access_descriptor(from);
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
