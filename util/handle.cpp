#include "util/handle.h"

Chandle& Chandle::operator=(Chandle&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = other.detach();
    }
    return *this;
}

bool Chandle::close()
{
    if (!is_open())
        return true;
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
}

HANDLE Chandle::detach()
{
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
}

Cfind_search::Cfind_search(const std::wstring& pattern, WIN32_FIND_DATAW& found)
    : search_(FindFirstFileW(pattern.c_str(), &found))
{
}

Cfind_search::~Cfind_search()
{
    if (found_first())
        FindClose(search_);
}

bool Cfind_search::next(WIN32_FIND_DATAW& found)
{
    return found_first() && FindNextFileW(search_, &found) != FALSE;
}
