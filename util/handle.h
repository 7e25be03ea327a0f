#pragma once
// Owners of the system's handles, each closed with its owner: a kernel object (a
// file, an event, a thread) and a directory search.

#include <windows.h>

#include <string>

// Owner of at most one kernel handle. The system marks a failed open with
// INVALID_HANDLE_VALUE (CreateFileW) or with null (CreateEventW, CreateThread):
// both hold nothing. It moves, so that an open function can return its handle.
class Chandle {
public:
    Chandle() = default;
    explicit Chandle(HANDLE handle) : handle_(handle) {}
    ~Chandle() { close(); }
    Chandle(Chandle&& other) noexcept : handle_(other.detach()) {}
    Chandle& operator=(Chandle&& other) noexcept;
    Chandle(const Chandle&) = delete;
    Chandle& operator=(const Chandle&) = delete;

    bool is_open() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // False when the system reports a failure closing it (data not written).
    bool close();
    // Gives the handle up without closing it.
    HANDLE detach();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// One directory search (FindFirstFileW, FindNextFileW), closed with its owner.
class Cfind_search {
public:
    // Starts the search for `pattern`, given to the system as it is, and reads the
    // first item into `found`.
    Cfind_search(const std::wstring& pattern, WIN32_FIND_DATAW& found);
    ~Cfind_search();
    Cfind_search(const Cfind_search&) = delete;
    Cfind_search& operator=(const Cfind_search&) = delete;

    // False when nothing matched or the search could not start (GetLastError tells).
    bool found_first() const { return search_ != INVALID_HANDLE_VALUE; }
    // Reads the next item; false at the end or when the search broke off
    // (GetLastError tells which: ERROR_NO_MORE_FILES at the end).
    bool next(WIN32_FIND_DATAW& found);

private:
    HANDLE search_ = INVALID_HANDLE_VALUE;
};
