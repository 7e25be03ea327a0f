#pragma once
// The output folder of make-update, written so that a run that fails leaves nothing
// behind: every folder made and every file written is remembered, and removed again
// (newest first) unless the run keeps them.

#include <string>
#include <vector>

#include "util/handle.h"

class Coutput_folder {
public:
    Coutput_folder() = default;
    ~Coutput_folder();
    Coutput_folder(const Coutput_folder&) = delete;
    Coutput_folder& operator=(const Coutput_folder&) = delete;

    // Makes the folder (a full path) and the folders above it that are missing.
    bool make_folder(const std::wstring& path);
    // Copies a file to a path that does not exist yet.
    bool copy_file(const std::wstring& from, const std::wstring& to);
    bool write_file(const std::wstring& path, const std::string& bytes);
    // Creates a file to be written by the caller; a handle that holds nothing when
    // the path exists or cannot be made.
    Chandle create_file(const std::wstring& path);
    // Removes a file written here that is not wanted after all.
    void remove_file(const std::wstring& path);

    // What was written stays.
    void keep() { written_.clear(); }
    // Removes what was written, newest first.
    void remove_written();

private:
    struct Cwritten {
        std::wstring path;
        bool is_folder = false;
    };
    std::vector<Cwritten> written_;
};

enum class Cfolder_state { missing, empty, not_empty, file };

// What lies at `path` now.
Cfolder_state folder_state(const std::wstring& path);
