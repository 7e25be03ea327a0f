#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "publish/release_diff.h"
#include "publish/update_files.h"
#include "release_pair.h"
#include "support/temp_folder.h"

namespace {

using Ckind = Cdiff_note::Ckind;

const std::wstring chapters = L"data\\\u30b7\u30ca\u30ea\u30aa\\";  // the Japanese folder

Cdiff_note note(Ckind kind, const std::wstring& new_path, const std::wstring& old_path,
                bool is_folder, std::size_t files = 0)
{
    Cdiff_note n;
    n.kind = kind;
    n.new_path = new_path;
    n.old_path = old_path;
    n.is_folder = is_folder;
    n.files = files;
    return n;
}

Crelease_diff compare_pair(const Ctemp_folder& folder)
{
    lay_out(folder / L"old", old_release());
    lay_out(folder / L"new", new_release());
    return compare_releases(folder / L"old", folder / L"new");
}

TEST(Release_diff, copies_what_is_new_or_different_under_the_new_name)
{
    Ctemp_folder folder;
    const Crelease_diff diff = compare_pair(folder);
    std::vector<std::wstring> copied;
    for (const Ccopied_release_file& file : diff.copied)
        copied.push_back(file.path + (file.is_new ? L" (new)" : L""));
    const std::vector<std::wstring> expected = {
        L"config.ini",                              // other bytes, other case
        L"data\\bg\\title.png",                     // same size, other bytes
        chapters + L"\u7b2c1\u7ae0.txt",            // other size
        chapters + L"\u7b2c2\u7ae0.txt (new)",
        L"movie\\op.mpg (new)",
        L"patch.bin (new)",
    };
    EXPECT_EQ(copied, expected);
    EXPECT_EQ(diff.changed, 3u);
    EXPECT_EQ(diff.added, 3u);
    EXPECT_EQ(diff.unchanged, 3u);  // engine.dat, ending.png, README.TXT
    EXPECT_EQ(diff.removed, 3u);    // old.arc and the manual's two
    EXPECT_EQ(diff.copied[2].size, 11u);
}

TEST(Release_diff, notes_what_the_update_cannot_carry_over_in_tree_order)
{
    Ctemp_folder folder;
    const Crelease_diff diff = compare_pair(folder);
    const std::vector<Cdiff_note> expected = {
        note(Ckind::case_renamed, L"config.ini", L"Config.ini", false),
        // Named once at its top, not again for the empty folder inside.
        note(Ckind::empty_folder, L"data\\empty", L"", true),
        note(Ckind::removed, L"", L"data\\old.arc", false, 1),
        note(Ckind::removed, L"", L"manual", true, 2),
        note(Ckind::case_renamed, L"README.TXT", L"readme.txt", false),
    };
    ASSERT_EQ(diff.notes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(diff.notes[i] == expected[i]) << i << ": " << diff.notes[i].new_path << " | "
                                                  << diff.notes[i].old_path;
}

TEST(Release_diff, a_file_that_became_a_folder_and_back_cannot_be_updated)
{
    Ctemp_folder folder;
    lay_out(folder / L"old", {{L"x", "file"}, {L"y\\b", "b"}, {L"z\\c", "c"}});
    lay_out(folder / L"new", {{L"x\\a", "a"}, {L"y", "file"}, {L"z\\c", "c2"}});
    const Crelease_diff diff = compare_releases(folder / L"old", folder / L"new");
    ASSERT_EQ(diff.notes.size(), 2u);
    EXPECT_TRUE(diff.notes[0] == note(Ckind::file_became_folder, L"x", L"x", true));
    EXPECT_TRUE(diff.notes[1] == note(Ckind::folder_became_file, L"y", L"y", false));
    ASSERT_EQ(diff.copied.size(), 1u);
    EXPECT_EQ(diff.copied[0].path, L"z\\c");
}

TEST(Release_diff, files_are_compared_by_size_then_every_byte)
{
    Ctemp_folder folder;
    // Past one compare block, differing only in the last byte.
    const std::string large(1500000, 'x');
    const struct {
        const char* name;
        std::string old_bytes;
        std::string new_bytes;
        Cfile_comparison expected;
    } cases[] = {
        {"both empty", "", "", Cfile_comparison::same},
        {"same bytes", "abc", "abc", Cfile_comparison::same},
        {"one byte more", "abc", "abcd", Cfile_comparison::different},
        {"same size, one byte other", "abc", "abd", Cfile_comparison::different},
        {"large, same", large, large, Cfile_comparison::same},
        {"large, last byte other", large, large.substr(1) + "y", Cfile_comparison::different},
    };
    for (const auto& c : cases) {
        write_file(folder / L"old.bin", c.old_bytes);
        write_file(folder / L"new.bin", c.new_bytes);
        EXPECT_EQ(compare_files(folder / L"old.bin", c.old_bytes.size(), folder / L"new.bin",
                                c.new_bytes.size()),
                  c.expected)
            << c.name;
    }
    EXPECT_EQ(compare_files(folder / L"gone.bin", 3, folder / L"new.bin", 3),
              Cfile_comparison::old_unreadable);
}

TEST(Update_files, one_entry_per_top_level_item_in_the_order_of_the_files)
{
    const std::vector<Cupdate_entry> entries =
        top_level_entries({L"config.ini", L"data\\bg\\a.png", L"data\\b.txt", L"movie\\op.mpg",
                           L"patch.bin"});
    ASSERT_EQ(entries.size(), 4u);
    const std::wstring names[] = {L"config.ini", L"data", L"movie", L"patch.bin"};
    const bool folders[] = {false, true, true, false};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, names[i]);
        EXPECT_EQ(entries[i].is_folder, folders[i]) << i;
    }
}

TEST(Update_files, update_ini_escapes_values_and_ends_lines_in_crlf)
{
    Cupdate_ini ini;
    ini.comment = L"made";
    ini.reg_path = L"Maker\\Game";
    ini.game_title = L"\u30d9\u30ed\u30c3\u30af \"2\"";  // ベロック "2"
    ini.entries = {{L"data", true}, {L"a.txt", false}};
    const std::wstring text = update_ini_text(ini);
    EXPECT_EQ(text,
              L"// made\r\n"
              L"#REG_PATH = \"Maker\\\\Game\"\r\n"
              L"#GAME_TITLE = \"\u30d9\u30ed\u30c3\u30af \\\"2\\\"\"\r\n"
              L"#COPY_FILE = \"data\"\r\n"
              L"#COPY_FILE = \"a.txt\"\r\n");
    std::string bytes;
    ASSERT_TRUE(update_ini_bytes(text, bytes));
    EXPECT_EQ(bytes.substr(bytes.find("#GAME_TITLE"), 25),
              "#GAME_TITLE = \"\x83\x78\x83\x8d\x83\x62\x83\x4e \\");  // code page 932
    // é and a Korean letter have no place in code page 932; nothing stands in for them.
    EXPECT_FALSE(update_ini_bytes(L"caf\u00e9", bytes));
    EXPECT_FALSE(update_ini_bytes(L"\ud55c", bytes));
}

TEST(Update_files, sha256_list_is_utf8_with_slashes_and_lf)
{
    Csha256_digest abc = {};
    ASSERT_TRUE(digest_from_hex(L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                                64, abc));
    const std::string list = sha256_list_bytes({{L"patch.bin", abc}, {L"data\\\u7b2c1.txt", abc}});
    EXPECT_EQ(list,
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  patch.bin\n"
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  "
              "data/\xe7\xac\xac" "1.txt\n");
}

}  // namespace
