#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes. Paths are wide and use '\'.

#include <string>

class Ctemp_folder {
public:
    Ctemp_folder();
    ~Ctemp_folder();
    Ctemp_folder(const Ctemp_folder&) = delete;
    Ctemp_folder& operator=(const Ctemp_folder&) = delete;

    const std::wstring& path() const { return path_; }
    // path() + '\' + relative
    std::wstring operator/(const std::wstring& relative) const;

private:
    std::wstring path_;
};

// Writes the bytes to the file (creating its folders), replacing what was there.
void write_file(const std::wstring& path, const std::string& bytes);
// Makes a file of `size` bytes without writing them (sparse where the file system
// allows); false when it cannot be made that large.
bool make_sized_file(const std::wstring& path, long long size);
// The whole file as bytes; empty when it cannot be read.
std::string read_file(const std::wstring& path);
bool file_exists(const std::wstring& path);
bool folder_exists(const std::wstring& path);
// Removes a folder and everything below it; read-only files too.
void remove_tree(const std::wstring& path);
