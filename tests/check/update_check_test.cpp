#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "check/update_check.h"
#include "config/current_folder.h"
#include "copy/plan/folder_listing.h"
#include "util/path.h"
#include "support/temp_folder.h"

namespace {

// The first four lines of most cases: both keys, a file entry and a folder entry.
const std::string head =
    "#REG_PATH = \"Maker\\\\Game\"\r\n"
    "#GAME_TITLE = \"\x83\x5C\x95\x5C\x97\x5C\"\r\n"  // ソ表予 in code page 932
    "#COPY_FILE = \"a.dat\"\r\n"
    "#COPY_FILE = \"sub\"\r\n";
const std::vector<std::wstring> usual_gamedata = {L"a.dat", L"sub\\b.dat"};

struct Cexpected {
    int line;
    Cseverity severity;
    std::wstring part;  // a piece of the text: the decoded value, the name, the cause
};

const Cseverity W = Cseverity::warning;
const Cseverity E = Cseverity::error;

struct Ctrap {
    const char* name;
    std::string ini;  // update.ini as saved; "-" for no file
    std::vector<std::wstring> gamedata;
    std::vector<std::wstring> empty_folders;
    std::vector<Cexpected> findings;
    int exit_code;
};

std::string utf16le(const std::string& ascii)
{
    std::string bytes("\xFF\xFE", 2);
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::vector<Ctrap> traps()
{
    const auto usual = usual_gamedata;
    return {
        {"clean",
         head + "// a comment\r\n\r\n#COPY_FILE = \"sub\\\\b.dat\"  // again, inside sub\r\n",
         usual, {}, {}, 0},
        {"indented by a space", head + " #COPY_FILE = \"a.dat\"\r\n", usual, {},
         {{5, W, L"行頭に空白"}}, 1},
        {"indented by a tab", head + "\t#REG_PATH = \"x\"\r\n", usual, {}, {{5, W, L"行頭に空白"}}, 1},
        {"key in another case", head + "#Copy_File = \"a.dat\"\r\n", usual, {},
         {{5, W, L"#Copy_File"}}, 1},
        {"key without =", head + "#COPY_FILE \"a.dat\"\r\n", usual, {}, {{5, W, L"= がない"}}, 1},
        {"value without quotes", head + "#GAME_TITLE = Title\r\n", usual, {},
         {{5, W, L"囲まれていない"}}, 1},
        {"nothing after =", head + "#GAME_TITLE =   \r\n", usual, {}, {{5, W, L"囲まれていない"}}, 1},
        {"value without its closing quote", head + "#COPY_FILE = \"a.dat  // x\r\n", usual, {},
         {{5, W, L"閉じる \" がない"}}, 1},
        {"closing quote taken by a backslash", head + "#COPY_FILE = \"sub\\\"\r\n", usual, {},
         {{5, W, L"最後の \\\""}}, 1},
        {"unknown key a letter away", head + "#COPY_FILES = \"a.dat\"\r\n", usual, {},
         {{5, W, L"#COPY_FILES の行は読まれません (#COPY_FILE の誤り"}}, 1},
        {"unknown key two letters away", head + "#REGPAHT = \"x\"\r\n", usual, {},
         {{5, W, L"#REG_PATH の誤り"}}, 1},
        {"key without #", head + "GAME_TITLE = \"x\"\r\n", usual, {}, {{5, W, L"# がない"}}, 1},
        {"an unknown key of its own and free text",
         head + "#VERSION = \"1.01\"\r\n  // indented comment\r\nfree text\r\n# note\r\n",
         usual, {},
         {}, 0},
        {"a single backslash vanishes", head + "#COPY_FILE = \"sub\\b.dat\"\r\n", usual, {},
         {{5, W, L"\"subb.dat\""}, {5, E, L"gamedata\\subb.dat"}}, 2},
        {"#REG_PATH twice: the last wins", head + "#REG_PATH = \"Maker\\\\Game2\"\r\n", usual, {},
         {{1, W, L"5 行目の値 \"Maker\\Game2\""}}, 1},
        {"#GAME_TITLE three times", head + "#GAME_TITLE = \"A\"\r\n#GAME_TITLE = \"B\"\r\n", usual,
         {}, {{2, W, L"6 行目の値 \"B\""}, {5, W, L"6 行目の値 \"B\""}}, 1},
        {"an entry listed twice", head + "#COPY_FILE = \"A.DAT\"\r\n", usual, {},
         {{5, W, L"3 行目と同じ"}}, 1},
        {"an entry listed twice with /",
         head + "#COPY_FILE = \"sub/b.dat\"\r\n#COPY_FILE = \"sub\\\\b.dat\"\r\n",
         usual, {}, {{6, W, L"5 行目と同じ"}}, 1},
        {"text after a zero byte", head + std::string("\r\n\0#COPY_FILE = \"x\"\r\n", 21), usual,
         {}, {{6, W, L"0x00"}}, 1},
        {"text after a byte 0x1A", head + "\x1A#COPY_FILE = \"x\"\r\n", usual, {},
         {{5, W, L"0x1A"}}, 1},
        {"a final 0x1A alone", head + "\x1A", usual, {}, {}, 0},
        {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" + head, usual, {},
         {{0, E, L"#REG_PATH が指定されていません"}, {1, W, L"BOM"}}, 2},
        {"UTF-8 text",
         "#REG_PATH = \"M\\\\G\"\r\n#GAME_TITLE = \"\xE3\x83\x99\"\r\n"
         "#COPY_FILE = \"a.dat\"\r\n#COPY_FILE = \"sub\"\r\n",
         // The last byte of ベ in UTF-8 takes the closing quote as its second half in
         // code page 932, so the title is lost.
         usual, {}, {{0, E, L"#GAME_TITLE が指定されていません"}, {2, W, L"UTF-8"}, {2, W, L"閉じる"}}, 2},
        {"UTF-16 text", utf16le("#REG_PATH = \"a\"\r\n#GAME_TITLE = \"t\"\r\n"), usual, {},
         {{0, W, L"UTF-16"}, {0, E, L"#REG_PATH"}, {0, E, L"#GAME_TITLE"},
          {0, W, L"gamedata\\a.dat"}, {0, W, L"gamedata\\sub\\ (1 ファイル)"}}, 2},
        {"a wildcard entry", head + "#COPY_FILE = \"*.dat\"\r\n", usual, {},
         {{5, W, L"\"*.dat\""}, {5, E, L"gamedata\\*.dat"}}, 2},
        {"files and folders no entry copies", head,
         {L"a.dat", L"sub\\b.dat", L"old\\x\\y.dat", L"old\\z.dat", L"readme.txt"},
         {L"unused"}, {{0, W, L"gamedata\\old\\ (2 ファイル)"}, {0, W, L"gamedata\\readme.txt"},
                       {0, W, L"空のフォルダ gamedata\\unused\\"}}, 1},
        {"an empty folder inside a copied one", head, usual, {L"sub\\empty"},
         {{0, W, L"空のフォルダ gamedata\\sub\\empty\\"}}, 1},
        {"an entry that copies no file", head + "#COPY_FILE = \"nothing\"\r\n", usual, {L"nothing"},
         {{5, W, L"\"nothing\" はファイルのないフォルダ"}}, 1},
        // The copy makes folders under their exact names: nothing to warn of.
        {"a folder name outside the code page", head,
         {L"a.dat", L"sub\\b.dat", L"sub\\caf\u00e9\\c.dat"}, {}, {}, 0},
        {"a relative path over 200 characters", head,
         {L"a.dat", L"sub\\b.dat",
          L"sub\\" + std::wstring(120, L'd') + L"\\" + std::wstring(77, L'f')},
         {}, {{4, W, L"(202 文字: sub\\ddd"}}, 1},
        {"update.ini missing", "-", usual, {}, {{0, E, L"update.ini が見つかりません"}}, 2},
        {"gamedata missing", head, {}, {}, {{0, E, L"gamedata フォルダが見つかりません"}}, 2},
        {"no keys", "#COPY_FILE = \"a.dat\"\r\n#COPY_FILE = \"sub\"\r\n", usual, {},
         {{0, E, L"#REG_PATH が指定されていません"}, {0, E, L"#GAME_TITLE が指定されていません"}}, 2},
        {"an empty #REG_PATH wins", head + "#REG_PATH = \"\"\r\n", usual, {},
         {{1, W, L"5 行目の値 \"\""}, {5, E, L"#REG_PATH の値が空"}}, 2},
        {"an unsafe entry",
         head + "#COPY_FILE = \"..\\\\a.dat\"\r\n#COPY_FILE = \"/a.dat\"\r\n", usual, {},
         {{5, E, L"\"..\\a.dat\" は使用できない"}, {6, E, L"\"/a.dat\" は使用できない"}}, 2},
        {"an empty entry", head + "#COPY_FILE = \"\"\r\n", usual, {},
         {{5, E, L"#COPY_FILE の値が空"}}, 2},
        {"an entry missing", head + "#COPY_FILE = \"sub\\\\c.dat\"\r\n", usual, {},
         {{5, E, L"コピー元 gamedata\\sub\\c.dat が見つかりません"}}, 2},
        {"an entry found only by the system's rules for names",
         head + "#COPY_FILE = \"a.dat \"\r\n", usual, {},
         {{5, E, L"コピー元 gamedata\\a.dat  は名前の規則"}}, 2},
        // Folders the listing does not go into (see marked_list): named where they
        // are, and every file after them still named.
        {"a folder link with a forgotten file after it", head,
         {L"a.dat", L"sub\\b.dat", L"alink\\x.dat", L"forgotten.dat", L"more\\y.dat"}, {},
         {{0, W, L"フォルダ gamedata\\alink\\ はリンク"}, {0, W, L"gamedata\\forgotten.dat"},
          {0, W, L"gamedata\\more\\ (1 ファイル)"}}, 1},
        {"links inside a folder entry", head,
         {L"a.dat", L"sub\\b.dat", L"sub\\link\\c.dat", L"sub\\zlink\\d.dat", L"z.dat"}, {},
         {{4, E, L"フォルダ gamedata\\sub\\link はリンク"}, {0, E, L"gamedata\\sub\\zlink はリンク"},
          {0, W, L"gamedata\\z.dat"}}, 2},
        {"an unreadable folder", head,
         {L"a.dat", L"sub\\b.dat", L"unreadable\\x.dat", L"z.dat"}, {},
         {{0, W, L"gamedata\\unreadable\\ の内容を読み込めない"}, {0, W, L"gamedata\\z.dat"}}, 1},
        {"a cloud folder is read like any other", head,
         {L"a.dat", L"sub\\b.dat", L"cloud\\x.dat", L"cloud\\y.dat"}, {},
         {{0, W, L"gamedata\\cloud\\ (2 ファイル)"}}, 1},
        {"a 40 MiB key-like line", head + "#" + std::string(40 << 20, 'x') + "\r\n", usual, {},
         {{5, W, L"#xxxxxxxxxxxxxxxxxx… は 41943041 文字"}}, 1},
        // A lead byte of code page 932 (a Latin-1 é) at a line end: the line after it
        // is read as its own line, under its own number.
        {"a lone lead byte at a line end with LF",
         "#REG_PATH = \"M\\\\G\"\n// caf\xE9\n#GAME_TITLE = \"T\"\n#COPY_FILE = \"a.dat\"\n"
         "#COPY_FILE = \"sub\"\n#COPY_FILE = \"a.dat\"\n",
         usual, {}, {{2, W, L"0xE9"}, {6, W, L"4 行目と同じ"}}, 1},
        {"a lone lead byte at a line end with CR LF",
         "#REG_PATH = \"M\\\\G\"\r\n// caf\xE9\r\n#GAME_TITLE = \"T\"\r\n#COPY_FILE = \"a.dat\"\r\n"
         "#COPY_FILE = \"sub\"\r\n#COPY_FILE = \"a.dat\"\r\n",
         usual, {}, {{2, W, L"0xE9"}, {6, W, L"4 行目と同じ"}}, 1},
        {"entries that name gamedata itself",
         head + "#COPY_FILE = \".\"\r\n#COPY_FILE = \"./\"\r\n#COPY_FILE = \"... \"\r\n", usual, {},
         {{5, E, L"\".\" は使用できない"}, {6, E, L"\"./\" は使用できない"},
          {7, E, L"\"... \" は使用できないパスです (. と空白だけ"}}, 2},
    };
}

// The listing as the traps see it: a folder named "...link" is a link (a mount
// point), one named "cloud" a cloud file's folder (a reparse point that is no link),
// and one named "unreadable" breaks off its listing.
Cfolder_items marked_list(const std::wstring& folder, const Clisting_tick& tick)
{
    Cfolder_items listed = list_folder_items(folder, tick);
    if (path_file_name(folder) == L"unreadable")
        listed.status = Clisting_status::failed;
    for (Clisted_item& item : listed.items) {
        const std::wstring& name = item.name;
        if (name.size() >= 4 && name.compare(name.size() - 4, 4, L"link") == 0) {
            item.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
            item.reparse_tag = IO_REPARSE_TAG_MOUNT_POINT;
        } else if (name == L"cloud") {
            item.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
            item.reparse_tag = 0x9000601A;  // IO_REPARSE_TAG_CLOUD_6
        }
    }
    return listed;
}

// Lays out the trap's update folder and checks it as the current folder.
Cfolder_check check_trap(const Ctrap& trap, const Ctemp_folder& folder)
{
    if (trap.ini != "-")
        write_file(folder / L"update.ini", trap.ini);
    for (const std::wstring& file : trap.gamedata)
        write_file(folder / (L"gamedata\\" + file), "data");
    for (const std::wstring& empty : trap.empty_folders)
        CreateDirectoryW((folder / (L"gamedata\\" + empty)).c_str(), nullptr);
    Ccurrent_folder current(folder.path());
    const Clist_function previous = replace_list_function(marked_list);
    Cfolder_check result = check_update_folder();
    replace_list_function(previous);
    return result;
}

TEST(Update_check_traps, each_trap_gives_its_findings_and_exit_code)
{
    for (const Ctrap& trap : traps()) {
        Ctemp_folder folder;
        const Cfolder_check result = check_trap(trap, folder);
        std::wstring shown;
        for (const Cfinding& finding : result.findings)
            shown += format_finding(finding) + L"\n";
        EXPECT_EQ(check_exit_code(result.findings), trap.exit_code) << trap.name << "\n" << shown;
        ASSERT_EQ(result.findings.size(), trap.findings.size()) << trap.name << "\n" << shown;
        for (std::size_t i = 0; i < trap.findings.size(); ++i) {
            const Cfinding& got = result.findings[i];
            const Cexpected& want = trap.findings[i];
            EXPECT_EQ(got.line, want.line) << trap.name << "\n" << shown;
            EXPECT_EQ(got.severity, want.severity) << trap.name << "\n" << shown;
            EXPECT_NE(got.text.find(want.part), std::wstring::npos)
                << trap.name << ": wanted " << want.part << "\n" << shown;
        }
    }
}

// An entry that names gamedata itself is refused, so the summary lists nothing for it.
TEST(Update_check_entries, an_entry_naming_gamedata_itself_is_not_examined)
{
    Ctemp_folder folder;
    const Cfolder_check result =
        check_trap({"", head + "#COPY_FILE = \"./\"\r\n", usual_gamedata, {}, {}, 2}, folder);
    ASSERT_EQ(result.entries.size(), 3u);
    EXPECT_TRUE(result.entries[1].listed);
    EXPECT_FALSE(result.entries[2].listed);
    EXPECT_EQ(result.entries[2].files, 0u);
}

}  // namespace

namespace {

// Installed files are looked at in the long form of their paths, as the updater
// opens them: one past 260 characters counts as there, and its size stays on the
// volume until the end of the run. (Wine knows no such limit; Windows does.)
TEST(Update_check_installation, a_file_past_max_path_is_found_there)
{
    Ctemp_folder folder;
    std::wstring install = folder.path();
    while (install.size() < 280)
        install += L"\\" + std::wstring(40, L'i');
    write_file(install + L"\\data.arc", std::string(5000, 'x'));

    const Cinstallation_check check = check_installation({{L"data.arc", 10}}, {}, install);

    ASSERT_EQ(check.files.size(), 1u);
    EXPECT_TRUE(check.files[0].exists);
    EXPECT_GE(check.room, 10u);
}

}  // namespace
