#pragma once
// Makes a folder the process's current directory for the life of one object, as
// start-up does with the updater's own folder, and restores the previous one.

#include <windows.h>

#include <string>

class Ccurrent_folder {
public:
    explicit Ccurrent_folder(const std::wstring& folder)
    {
        wchar_t previous[MAX_PATH + 1] = {};
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~Ccurrent_folder() { SetCurrentDirectoryW(previous_.c_str()); }
    Ccurrent_folder(const Ccurrent_folder&) = delete;
    Ccurrent_folder& operator=(const Ccurrent_folder&) = delete;

private:
    std::wstring previous_;
};
