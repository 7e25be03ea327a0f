#pragma once
// A pair of small releases for make-update's tests: nested folders, Japanese names
// below the top level, unchanged, changed (in size and in bytes only), new and
// removed files, a removed folder, names that changed only in letter case, and an
// empty new folder with an empty folder inside.

#include <windows.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

struct Crelease_item {
    std::wstring path;  // '\' between levels
    const char* bytes;  // null: an empty folder
};

inline const std::vector<Crelease_item>& old_release()
{
    static const std::vector<Crelease_item> items = {
        {L"engine.dat", "engine"},
        {L"Config.ini", "volume=1"},
        {L"readme.txt", "read me"},
        {L"data\\bg\\title.png", "title-1"},
        {L"data\\bg\\ending.png", "ending"},
        {L"data\\old.arc", "old"},
        {L"data\\\u30b7\u30ca\u30ea\u30aa\\\u7b2c1\u7ae0.txt", "chapter 1"},  // シナリオ\第1章
        {L"manual\\a.htm", "a"},
        {L"manual\\b.htm", "b"},
    };
    return items;
}

inline const std::vector<Crelease_item>& new_release()
{
    static const std::vector<Crelease_item> items = {
        {L"engine.dat", "engine"},
        {L"config.ini", "volume=3"},
        {L"README.TXT", "read me"},
        {L"data\\bg\\title.png", "title-2"},
        {L"data\\bg\\ending.png", "ending"},
        {L"data\\\u30b7\u30ca\u30ea\u30aa\\\u7b2c1\u7ae0.txt", "chapter one"},
        {L"data\\\u30b7\u30ca\u30ea\u30aa\\\u7b2c2\u7ae0.txt", "chapter two"},
        {L"data\\empty", nullptr},
        {L"data\\empty\\deeper", nullptr},
        {L"movie\\op.mpg", "movie"},
        {L"patch.bin", "abc"},
    };
    return items;
}

inline void lay_out(const std::wstring& folder, const std::vector<Crelease_item>& items)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const Crelease_item& item : items) {
        const std::wstring path = folder + L"\\" + item.path;
        if (item.bytes) {
            write_file(path, item.bytes);
        } else {
            write_file(path + L"\\x", "");  // makes the folders
            DeleteFileW((path + L"\\x").c_str());
        }
    }
}
