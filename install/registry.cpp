#include "install/registry.h"

#include "session/messages.h"
#include "session/notices.h"
#include "session/update_info.h"

namespace {

// 520 UTF-16 code units, the terminator included.
const DWORD value_buffer_bytes = 1040;

// The setup is a 32-bit program, so its record lies in the 32-bit view; a 64-bit
// build has to ask for that view explicitly.
#ifdef _WIN64
const REGSAM registry_view = KEY_WOW64_32KEY;
#else
const REGSAM registry_view = 0;
#endif

// An open registry key, closed when the object goes.
class Cregistry_key {
public:
    Cregistry_key() = default;
    ~Cregistry_key()
    {
        if (handle_)
            RegCloseKey(handle_);
    }
    Cregistry_key(const Cregistry_key&) = delete;
    Cregistry_key& operator=(const Cregistry_key&) = delete;

    bool open_for_reading(HKEY root, const std::wstring& path)
    {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | registry_view, &opened) !=
            ERROR_SUCCESS)
            return false;
        handle_ = opened;
        return true;
    }
    HKEY handle() const { return handle_; }

private:
    HKEY handle_ = nullptr;
};

}  // namespace

bool read_registry_string(HKEY key, const std::wstring& name, std::wstring& value)
{
    wchar_t buffer[value_buffer_bytes / sizeof(wchar_t)] = {};
    DWORD type = 0;
    DWORD size = value_buffer_bytes;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS)
        return fail_update(msg::registry_value_missing(name));
    // The data need not be a terminated string, nor a string at all: take whole
    // code units within what was returned, up to the first null.
    const size_t units = size / sizeof(wchar_t);
    size_t length = 0;
    while (length < units && buffer[length] != L'\0')
        ++length;
    value.assign(buffer, length);
    return true;
}

bool read_install_record()
{
    Cregistry_key key;
    if (!key.open_for_reading(HKEY_LOCAL_MACHINE, L"Software\\" + update_info.reg_path))
        return fail_update(msg::registry_key_missing(update_info.game_title));
    return read_registry_string(key.handle(), L"exe_dir", update_info.exe_dir) &&
           read_registry_string(key.handle(), L"dat_dir", update_info.dat_dir) &&
           read_registry_string(key.handle(), L"dat_setup", update_info.dat_setup);
}
