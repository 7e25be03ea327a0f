#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "util/file.h"
#include "support/temp_folder.h"

namespace {

TEST(Cfile, measures_the_file_on_open)
{
    Ctemp_folder folder;
    write_file(folder / L"empty.dat", "");
    write_file(folder / L"ten.dat", "0123456789");
    Cfile file;
    ASSERT_TRUE(file.open(folder / L"empty.dat", L"rb"));
    EXPECT_NE(file.stream, nullptr);
    EXPECT_EQ(file.size, 0);
    ASSERT_TRUE(file.open(folder / L"ten.dat", L"rb"));
    EXPECT_EQ(file.size, 10);
    char first = 0;
    EXPECT_EQ(fread(&first, 1, 1, file.stream), 1u);  // positioned at the start again
    EXPECT_EQ(first, '0');
}

TEST(Cfile, write_mode_truncates_an_existing_file)
{
    Ctemp_folder folder;
    write_file(folder / L"old.dat", "old contents");
    {
        Cfile file;
        ASSERT_TRUE(file.open(folder / L"old.dat", L"wb"));
        EXPECT_EQ(file.size, 0);
    }
    EXPECT_EQ(read_file(folder / L"old.dat"), "");
}

TEST(Cfile, a_failed_open_closes_what_was_open)
{
    Ctemp_folder folder;
    write_file(folder / L"a.dat", "abc");
    Cfile file;
    ASSERT_TRUE(file.open(folder / L"a.dat", L"rb"));
    EXPECT_FALSE(file.open(folder / L"missing.dat", L"rb"));
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_EQ(file.size, 0);
    // Nothing holds a.dat any more.
    EXPECT_TRUE(DeleteFileW((folder / L"a.dat").c_str()));
    file.close();
    file.close();
    EXPECT_EQ(file.stream, nullptr);
}

TEST(Cfile, the_stream_is_closed_when_the_object_goes)
{
    Ctemp_folder folder;
    {
        Cfile file;
        ASSERT_TRUE(file.open(folder / L"new.dat", L"wb"));
        fwrite("xyz", 1, 3, file.stream);
    }
    EXPECT_EQ(read_file(folder / L"new.dat"), "xyz");  // flushed
    EXPECT_TRUE(DeleteFileW((folder / L"new.dat").c_str()));
}

TEST(Folders, create_path_folders_stops_at_the_last_separator)
{
    Ctemp_folder folder;
    EXPECT_TRUE(create_path_folders(folder / L"a\\b\\file.dat"));
    EXPECT_TRUE(folder_exists(folder / L"a\\b"));
    EXPECT_FALSE(file_exists(folder / L"a\\b\\file.dat"));
    EXPECT_FALSE(folder_exists(folder / L"a\\b\\file.dat"));
    EXPECT_TRUE(create_path_folders(folder / L"c\\d\\"));
    EXPECT_TRUE(folder_exists(folder / L"c\\d"));
    EXPECT_TRUE(create_path_folders(folder / L"c\\d\\"));  // existing folders are fine
}

TEST(Folders, create_folder_makes_the_folder_itself)
{
    Ctemp_folder folder;
    for (const wchar_t* relative : {L"x\\y", L"p\\q\\", L"ゲーム\\ソ表予"}) {
        EXPECT_TRUE(create_folder(folder / relative));
        EXPECT_TRUE(folder_exists(folder / relative));
        EXPECT_TRUE(create_folder(folder / relative));
    }
}

// Names the ANSI code page cannot hold are made as they are: nothing is squeezed
// into a look-alike, and a yen sign never becomes a separator.
TEST(Folders, folders_are_made_under_their_exact_names)
{
    Ctemp_folder folder;
    for (const wchar_t* name : {L"y\u00A5y", L"\u7B2C1\u7AE0\u301C\u5E8F", L"caf\u00E9", L"\uD55C\uAE00",
                                L"..\u00A5..\u00A5windows\u00A5escaped"}) {
        const std::wstring path = folder / (std::wstring(L"tree\\") + name + L"\\sub\\file.dat");
        ASSERT_TRUE(create_path_folders(path)) << path.c_str();
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder / L"tree\\*").c_str(), &found);
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        bool seen = false;
        do
            seen = seen || std::wstring(found.cFileName) == name;
        while (FindNextFileW(search, &found));
        FindClose(search);
        EXPECT_TRUE(seen) << "no folder named exactly as asked";
        EXPECT_TRUE(folder_exists(folder / (std::wstring(L"tree\\") + name + L"\\sub")));
    }
    EXPECT_FALSE(folder_exists(folder / L"windows"));
    EXPECT_FALSE(folder_exists(folder / L"tree\\y"));
}

TEST(Folders, a_file_in_the_way_fails)
{
    Ctemp_folder folder;
    write_file(folder / L"a", "a file");
    EXPECT_FALSE(create_path_folders(folder / L"a\\b\\file.dat"));
    EXPECT_FALSE(create_folder(folder / L"a"));
}

TEST(Folders, empty_paths_are_fine_and_touch_nothing)
{
    EXPECT_TRUE(create_path_folders(L""));
    EXPECT_TRUE(create_folder(L""));
}

// Only name surrogates lead elsewhere; every other reparse point is the item itself.
TEST(Reparse_tag, only_name_surrogates_are_links)
{
    struct {
        const char* what;
        DWORD tag;
        bool link;
    } const cases[] = {
        {"symbolic link", IO_REPARSE_TAG_SYMLINK, true},
        {"junction or mount point", IO_REPARSE_TAG_MOUNT_POINT, true},
        {"WSL symbolic link", 0xA000001D, true},
        {"a name surrogate of some other kind", 0x20000099, true},
        {"no tag given (Wine)", 0, true},
        {"OneDrive cloud file", 0x9000001A, false},
        {"cloud file, another provider", 0x9000F01A, false},
        {"deduplicated file", 0x80000013, false},
        {"WOF-compressed system file", 0x80000017, false},
        {"app execution alias", 0x8000001B, false},
        {"Unix socket", 0x80000023, false},
        {"hierarchical storage", 0xC0000004, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(is_link_reparse_tag(c.tag), c.link) << c.what;
}

// Every file call takes the long form, which Windows does not read again: the path
// must arrive whole and canonical, as the short form would have been read.
TEST(LongPath, paths_are_made_whole_then_given_the_long_form)
{
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring here = current;
    if (here.back() != L'\\')
        here += L'\\';
    struct {
        std::wstring path, expected;
    } const cases[] = {
        {L"C:\\Game\\data.arc", L"\\\\?\\C:\\Game\\data.arc"},
        {L"C:\\Game\\\\data.arc", L"\\\\?\\C:\\Game\\data.arc"},  // exe_dir with its own '\'
        {L"C:/Game/sub/data.arc", L"\\\\?\\C:\\Game\\sub\\data.arc"},
        {L"C:\\Game\\.\\sub\\..\\data.arc", L"\\\\?\\C:\\Game\\data.arc"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"C:\\Game\\\\*", L"\\\\?\\C:\\Game\\*"},  // a listing of that folder
        {L"\\\\server\\share\\Game\\data.arc", L"\\\\?\\UNC\\server\\share\\Game\\data.arc"},
        {L"\\\\?\\C:\\Game\\data.arc", L"\\\\?\\C:\\Game\\data.arc"},  // kept as it is
        {L"gamedata\\data.arc", L"\\\\?\\" + here + L"gamedata\\data.arc"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(long_path(c.path), c.expected) << c.path.c_str();
}

// Wine knows no 260-character limit, so this shows only that the calls the update
// makes take a path of 300 characters and more in the long form.
TEST(LongPath, folders_and_files_past_max_path)
{
    Ctemp_folder folder;
    std::wstring deep = folder.path();
    while (deep.size() < 300)
        deep += L"\\" + std::wstring(40, L'd');
    ASSERT_TRUE(create_folder(deep));
    EXPECT_TRUE(is_folder(deep));
    write_file(deep + L"\\data.arc", "bytes");
    Cfile file;
    ASSERT_TRUE(file.open(deep + L"\\data.arc", L"rb"));
    EXPECT_EQ(file.size, 5);
    file.close();
    EXPECT_TRUE(remove_folder_tree(folder / std::wstring(40, L'd')));
    EXPECT_FALSE(is_folder(folder / std::wstring(40, L'd')));
}

// Only file systems with a journal keep their name changes in order across a power
// loss; the swap is flushed before its "done" mark on the others.
TEST(Volume_kind, names_are_kept_in_order_on_journaled_file_systems_only)
{
    const struct {
        const wchar_t* name;
        bool in_order;
    } cases[] = {
        {L"NTFS", true}, {L"ReFS", true}, {L"FAT", false}, {L"FAT32", false},
        {L"exFAT", false}, {L"EXFAT", false}, {L"fat32", false}, {L"", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keeps_names_in_order(c.name), c.in_order) << c.name;
}

}  // namespace
