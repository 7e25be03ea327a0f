// The listing of copy entries: which files a file entry or a folder entry stands
// for, under which names, in which order, and how many bytes they add up to.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "copy/plan/file_list.h"
#include "copy/plan/folder_listing.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::wstring> names(const Cfile_list& list)
{
    std::vector<std::wstring> result;
    for (const Cfile_entry& entry : list.files)
        result.push_back(entry.name);
    return result;
}

std::vector<std::wstring> sorted(std::vector<std::wstring> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

struct Cfile_entry_case {
    const char* what;
    std::vector<std::wstring> present;  // files in the source folder
    std::wstring name_pattern;
    std::wstring extension_pattern;
    std::vector<std::wstring> found;  // names kept, sorted
};

class File_entry : public testing::TestWithParam<Cfile_entry_case> {};

TEST_P(File_entry, KeepsExactlyTheMatchingFilesUnderTheirOwnNames)
{
    const Cfile_entry_case& c = GetParam();
    Ctemp_folder temp;
    std::uint64_t expected_total = 0;
    for (std::size_t i = 0; i < c.present.size(); ++i) {
        // Sizes differ per file, so a total made of the wrong files shows up.
        write_file(temp / c.present[i], std::string(10 + i * 7, 'x'));
    }
    for (const std::wstring& name : c.found) {
        const auto at = std::find(c.present.begin(), c.present.end(), name);
        ASSERT_NE(at, c.present.end());
        expected_total += 10 + (at - c.present.begin()) * 7;
    }

    Cfile_list list;
    const bool found = list.search(temp.path(), c.name_pattern, c.extension_pattern, false);

    EXPECT_EQ(sorted(names(list)), sorted(c.found)) << c.what;
    EXPECT_EQ(found, !c.found.empty()) << c.what;
    EXPECT_EQ(list.total_size, expected_total) << c.what;
    EXPECT_EQ(list.base_dir, temp.path() + L"\\");
    EXPECT_TRUE(list.want_files);
    EXPECT_FALSE(list.want_folders);
    EXPECT_FALSE(list.recursive);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, File_entry,
    testing::Values(
        Cfile_entry_case{"case ignored for A-Z, found case kept",
                         {L"README.TXT", L"other.txt"}, L"readme", L"txt", {L"README.TXT"}},
        Cfile_entry_case{"no extension does not find one with an extension",
                         {L"readme", L"readme.txt"}, L"readme", L"", {L"readme"}},
        Cfile_entry_case{"only the last dot starts the extension",
                         {L"archive.tar.gz", L"archive.gz", L"archive.tar"}, L"archive.tar", L"gz",
                         {L"archive.tar.gz"}},
        Cfile_entry_case{"a name that is all extension",
                         {L".cfg", L"a.cfg", L"cfg"}, L"", L"cfg", {L".cfg"}},
        Cfile_entry_case{"full-width letters are not folded",
                         {L"\xFF52\xFF45\xFF41\xFF44.txt"}, L"\xFF32\xFF25\xFF21\xFF24", L"txt", {}},
        Cfile_entry_case{"full-width letters match themselves",
                         {L"\xFF52\xFF45\xFF41\xFF44.txt"}, L"\xFF52\xFF45\xFF41\xFF44", L"TXT",
                         {L"\xFF52\xFF45\xFF41\xFF44.txt"}},
        Cfile_entry_case{"a star inside a pattern is an ordinary character",
                         {L"ab.dat", L"a.dat"}, L"a*", L"dat", {}},
        Cfile_entry_case{"a star as the whole pattern matches any",
                         {L"a.dat", L"b.dat", L"c.txt"}, L"*", L"dat", {L"a.dat", L"b.dat"}},
        Cfile_entry_case{"nothing matches",
                         {L"a.dat"}, L"b", L"dat", {}}));

TEST(File_list, StartsEmpty)
{
    const Cfile_list list;
    EXPECT_TRUE(list.files.empty());
    EXPECT_EQ(list.total_size, 0u);
    EXPECT_TRUE(list.base_dir.empty());
    EXPECT_FALSE(list.recursive || list.want_files || list.want_folders);
}

TEST(File_list, FileEntryDoesNotDescendIntoSubfolders)
{
    Ctemp_folder temp;
    write_file(temp / L"a.dat", "top");
    write_file(temp / L"sub\\a.dat", "below");

    Cfile_list list;
    list.search(temp.path(), L"a", L"dat", false);

    EXPECT_EQ(names(list), std::vector<std::wstring>{L"a.dat"});
    EXPECT_EQ(list.total_size, 3u);
}

TEST(File_list, FolderEntryListsTheWholeTreeWithRelativeNames)
{
    Ctemp_folder temp;
    write_file(temp / L"tree\\a.dat", "1");
    write_file(temp / L"tree\\sub\\b.dat", "22");
    write_file(temp / L"tree\\sub\\deep\\x.dat", "333");
    write_file(temp / L"tree\\.dotfile", "4444");
    write_file(temp / L"tree\\hidden.dat", "55555");
    SetFileAttributesW((temp / L"tree\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
    write_file(temp / L"tree\\readonly.dat", "666666");
    SetFileAttributesW((temp / L"tree\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((temp / L"tree\\empty").c_str(), nullptr);
    CreateDirectoryW((temp / L"tree\\sub\\empty too").c_str(), nullptr);

    Cfile_list list;
    EXPECT_TRUE(list.search(temp / L"tree", L"*", L"*", true));

    // Folder items are not kept; hidden and read-only files are.
    EXPECT_EQ(sorted(names(list)),
              sorted({L"a.dat", L"sub\\b.dat", L"sub\\deep\\x.dat", L".dotfile", L"hidden.dat",
                      L"readonly.dat"}));
    EXPECT_EQ(list.total_size, 21u);
    for (const Cfile_entry& entry : list.files)
        EXPECT_FALSE(entry.is_folder) << entry.name.c_str();
}

// The items of a subfolder come right where the subfolder was met: each folder's
// items form one unbroken run of the list, whatever order the file system uses.
TEST(File_list, FolderListIsDepthFirst)
{
    Ctemp_folder temp;
    const std::vector<std::wstring> folders = {L"a", L"m", L"z", L"m\\deep", L"m\\deep\\er"};
    for (const wchar_t* top : {L"", L"a\\", L"m\\", L"z\\", L"m\\deep\\", L"m\\deep\\er\\"}) {
        for (const wchar_t* file : {L"1.dat", L"5.dat", L"9.dat"})
            write_file(temp / (std::wstring(L"tree\\") + top + file), "x");
    }

    Cfile_list list;
    list.search(temp / L"tree", L"*", L"*", true);
    const std::vector<std::wstring> found = names(list);
    ASSERT_EQ(found.size(), 18u);

    for (const std::wstring& folder : folders) {
        const std::wstring prefix = folder + L"\\";
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (found[i].compare(0, prefix.size(), prefix) == 0)
                at.push_back(i);
        }
        ASSERT_FALSE(at.empty());
        EXPECT_EQ(at.back() - at.front() + 1, at.size()) << "items of " << testing::PrintToString(prefix);
    }
}

TEST(File_list, EmptyOrMissingFolderListsNothing)
{
    Ctemp_folder temp;
    CreateDirectoryW((temp / L"empty").c_str(), nullptr);
    CreateDirectoryW((temp / L"hollow").c_str(), nullptr);
    CreateDirectoryW((temp / L"hollow\\sub").c_str(), nullptr);
    CreateDirectoryW((temp / L"hollow\\sub\\deeper").c_str(), nullptr);

    for (const wchar_t* folder : {L"empty", L"hollow", L"missing"}) {
        Cfile_list list;
        EXPECT_FALSE(list.search(temp / folder, L"*", L"*", true));
        EXPECT_TRUE(list.files.empty());
        EXPECT_EQ(list.total_size, 0u);
    }
}

TEST(File_list, SizesAboveFourGigabytesKeepTheirHighPart)
{
    Ctemp_folder temp;
    const std::wstring path = temp / L"big.dat";
    if (!make_sized_file(path, 0x140000003LL))  // 5 GiB + 3, sparse
        GTEST_SKIP() << "no room for a sparse 5 GiB file";

    Cfile_list list;
    list.search(temp.path(), L"big", L"dat", false);

    ASSERT_EQ(list.files.size(), 1u);
    EXPECT_EQ(list.files[0].size, 0x140000003ULL);
    EXPECT_EQ(list.total_size, 0x140000003ULL);
}

TEST(File_list, SearchingAgainReplacesTheFiles)
{
    Ctemp_folder temp;
    write_file(temp / L"a.dat", "abc");
    write_file(temp / L"b.dat", "de");

    Cfile_list list;
    list.search(temp.path(), L"a", L"dat", false);
    list.search(temp.path(), L"b", L"dat", false);

    EXPECT_EQ(names(list), std::vector<std::wstring>{L"b.dat"});
}

// The listing as these tests see it: a folder named "link" is a junction, one named
// "bad" breaks off its listing.
Cfolder_items marked_list(const std::wstring& folder, const Clisting_tick& tick)
{
    Cfolder_items listed = list_folder_items(folder, tick);
    if (folder.size() >= 4 && folder.compare(folder.size() - 4, 4, L"\\bad") == 0)
        listed.status = Clisting_status::failed;
    for (Clisted_item& item : listed.items) {
        if (item.name == L"link") {
            item.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
            item.reparse_tag = IO_REPARSE_TAG_MOUNT_POINT;
        }
    }
    return listed;
}

// A folder it cannot go into is named, in the order met, and the search goes on
// past it: the files after it are still found, and the first one is what stops
// an update.
TEST(File_list, GoesOnPastALinkAndAnUnreadableFolder)
{
    Ctemp_folder temp;
    for (const wchar_t* file : {L"a.dat", L"bad\\x.dat", L"c\\link\\y.dat", L"c\\z.dat", L"d.dat"})
        write_file(temp / (std::wstring(L"tree\\") + file), "x");
    const Clist_function previous = replace_list_function(marked_list);

    Cfile_list list;
    list.base_dir = temp / L"tree\\";
    list.name_pattern = L"*";
    list.extension_pattern = L"*";
    list.recursive = true;
    list.want_files = true;
    list.want_folders = true;
    EXPECT_FALSE(list.search_folder(std::wstring()));
    replace_list_function(previous);

    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"a.dat", L"bad", L"c", L"c\\link", L"c\\z.dat",
                                                      L"d.dat"}));
    ASSERT_EQ(list.unlisted_folders.size(), 2u);
    EXPECT_EQ(list.unlisted_folders[0].path, temp / L"tree\\bad");
    EXPECT_FALSE(list.unlisted_folders[0].is_link);
    // Named in full although the folder's own entry was kept (and moved) before.
    EXPECT_EQ(list.unlisted_folders[1].path, temp / L"tree\\c\\link");
    EXPECT_TRUE(list.unlisted_folders[1].is_link);
    EXPECT_EQ(list.unreadable_folder, temp / L"tree\\bad");
}

}  // namespace
