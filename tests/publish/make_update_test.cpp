#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "publish/command_line.h"
#include "publish/make_update.h"
#include "release_pair.h"
#include "support/temp_folder.h"
#include "util/code_page.h"

namespace {

const std::wstring title = L"\u30d9\u30ed\u30c3\u30af\u7269\u8a9e";  // ベロック物語

// The two releases and a stand-in updater in a temporary folder; OUT is folder\out.
struct Cworld {
    Cworld()
    {
        lay_out(folder / L"old", old_release());
        lay_out(folder / L"new", new_release());
        write_file(folder / L"bin\\updater.exe", "MZ updater");
        options.old_dir = folder / L"old";
        options.new_dir = folder / L"new";
        options.out_dir = folder / L"out";
        options.reg_path = L"Maker\\Game";
        options.game_title = title;
        options.updater = folder / L"bin\\updater.exe";
        options.version = L"1.2.3";
    }

    Ctemp_folder folder;
    Cmake_update_options options;
};

std::wstring report_of(const Cmake_update_run& run, const Cmake_update_options& options)
{
    return format_make_update_report(run, options);
}

std::string cp932(const std::wstring& text)
{
    std::string bytes;
    EXPECT_TRUE(wide_to_code_page(932, text, bytes));
    return bytes;
}

TEST(Make_update, writes_the_update_folder_that_update_check_passes)
{
    Cworld world;
    const Cmake_update_run run = make_update(world.options);
    const std::wstring report = report_of(run, world.options);
    EXPECT_TRUE(run.kept) << report;
    EXPECT_TRUE(run.checked);
    EXPECT_TRUE(run.check.findings.empty()) << report;
    EXPECT_EQ(make_update_exit_code(run), 1) << report;  // the warnings of the comparison
    EXPECT_EQ(run.gamedata_bytes, 8u + 7 + 11 + 11 + 5 + 3);

    const std::wstring out = world.options.out_dir;
    EXPECT_EQ(read_file(out + L"\\update.ini"),
              cp932(L"// make-update 1.2.3 \u3067\u4f5c\u6210 (\u5909\u66f4 3, \u65b0\u898f 3, "
                    L"\u5909\u66f4\u306a\u3057 3, \u524a\u9664 3 \u30d5\u30a1\u30a4\u30eb)\r\n"
                    L"#REG_PATH = \"Maker\\\\Game\"\r\n"
                    L"#GAME_TITLE = \"" + title + L"\"\r\n"
                    L"#COPY_FILE = \"config.ini\"\r\n"
                    L"#COPY_FILE = \"data\"\r\n"
                    L"#COPY_FILE = \"movie\"\r\n"
                    L"#COPY_FILE = \"patch.bin\"\r\n"));
    const std::string list = read_file(out + L"\\gamedata.sha256");
    EXPECT_NE(list.find("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  patch.bin\n"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("  data/\xe3\x82\xb7\xe3\x83\x8a\xe3\x83\xaa\xe3\x82\xaa/\xe7\xac\xac" "2"),
              std::string::npos)
        << list;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 6);
    EXPECT_EQ(read_file(out + L"\\updater.exe"), "MZ updater");
    // Only what changed or is new, under the new release's names.
    EXPECT_EQ(read_file(out + L"\\gamedata\\config.ini"), "volume=3");
    EXPECT_EQ(read_file(out + L"\\gamedata\\data\\bg\\title.png"), "title-2");
    EXPECT_EQ(read_file(out + L"\\gamedata\\data\\\u30b7\u30ca\u30ea\u30aa\\\u7b2c2\u7ae0.txt"),
              "chapter two");
    EXPECT_FALSE(file_exists(out + L"\\gamedata\\engine.dat"));
    EXPECT_FALSE(file_exists(out + L"\\gamedata\\README.TXT"));
    EXPECT_FALSE(file_exists(out + L"\\gamedata\\data\\bg\\ending.png"));
    EXPECT_FALSE(folder_exists(out + L"\\gamedata\\data\\empty"));
}

TEST(Make_update, the_same_releases_give_the_same_bytes)
{
    Cworld world;
    make_update(world.options);
    Cmake_update_options again = world.options;
    again.out_dir = world.folder / L"again";
    make_update(again);
    for (const wchar_t* name : {L"\\update.ini", L"\\gamedata.sha256"}) {
        EXPECT_FALSE(read_file(world.options.out_dir + name).empty());
        EXPECT_EQ(read_file(world.options.out_dir + name), read_file(again.out_dir + name)) << name;
    }
}

TEST(Make_update, report_names_each_finding_then_the_counts)
{
    Cworld world;
    world.options.old_dir = L"old";
    world.options.new_dir = L"new";
    world.options.out_dir = L"out";
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(world.folder.path().c_str());
    const Cmake_update_run run = make_update(world.options);
    SetCurrentDirectoryW(previous);
    const std::wstring report = report_of(run, world.options);
    const wchar_t* const lines[] = {
        L"new\\config.ini: warning: \u65e7\u7248\u306e \"Config.ini\" ",
        L"\nnew\\data\\empty\\: warning: ",
        L"\nold\\data\\old.arc: warning: ",
        L"\nold\\manual\\: warning: \u65b0\u7248\u306b\u306a\u3044\u30d5\u30a9\u30eb\u30c0\u3067\u3059 (2 ",
        L"\nnew\\README.TXT: warning: ",
        L"\n\n\u5909\u66f4: 3 \u30d5\u30a1\u30a4\u30eb\n",
        L"\ngamedata: 6 \u30d5\u30a1\u30a4\u30eb, 45 \u30d0\u30a4\u30c8\n",
        L"\nupdate-check out: \u30a8\u30e9\u30fc 0 \u4ef6, \u8b66\u544a 0 \u4ef6\n\n",
        L"\u30a8\u30e9\u30fc 0 \u4ef6, \u8b66\u544a 5 \u4ef6\n",
    };
    std::size_t at = 0;
    for (const wchar_t* line : lines) {
        const std::size_t found = report.find(line, at);
        ASSERT_NE(found, std::wstring::npos) << "wanted " << line << "\n" << report;
        at = found;
    }
}

// update-check's findings of what was written come after make-update's own, with
// OUT before each: a relative path over 200 characters may be copied, but is near
// what the player's system can hold.
TEST(Make_update, update_checks_findings_of_out_are_part_of_the_report)
{
    Cworld world;
    write_file(world.folder / (L"new\\data\\" + std::wstring(120, L'd') + L"\\" +
                               std::wstring(80, L'f')), "x");
    const Cmake_update_run run = make_update(world.options);
    const std::wstring report = report_of(run, world.options);
    ASSERT_EQ(run.check.findings.size(), 1u) << report;
    EXPECT_EQ(make_update_exit_code(run), 1);
    EXPECT_TRUE(run.kept);
    const std::wstring line = world.options.out_dir + L"\\update.ini(5): warning: ";
    EXPECT_NE(report.find(L"\n" + line), std::wstring::npos) << report;
    EXPECT_NE(report.find(L"\u8b66\u544a 6 \u4ef6\n"), std::wstring::npos) << report;  // 警告 6 件
}

// Each error leaves OUT as it was: missing, or empty, or with what it held.
TEST(Make_update, on_an_error_nothing_is_left_in_out)
{
    const struct {
        const char* name;
        void (*spoil)(Cworld&);
        const wchar_t* part;  // of the error's text
        bool out_exists;
    } cases[] = {
        {"old missing", [](Cworld& w) { w.options.old_dir = w.folder / L"nowhere"; },
         L"\u30d5\u30a9\u30eb\u30c0\u304c\u898b\u3064\u304b\u308a\u307e\u305b\u3093", false},
        {"out not empty", [](Cworld& w) { write_file(w.options.out_dir + L"\\keep.txt", "k"); },
         L"\u7a7a\u3067\u306f\u3042\u308a\u307e\u305b\u3093", true},
        {"out empty stays empty",
         [](Cworld& w) {
             CreateDirectoryW(w.options.out_dir.c_str(), nullptr);
             write_file(w.folder / L"new\\caf\u00e9\\x.txt", "x");
         },
         L"\"caf\u00e9\"", true},
        {"a top-level name outside code page 932",
         [](Cworld& w) { write_file(w.folder / L"new\\caf\u00e9.txt", "x"); }, L"\"caf\u00e9.txt\"",
         false},
        {"nothing changed", [](Cworld& w) { w.options.old_dir = w.options.new_dir; },
         L"\u30a2\u30c3\u30d7\u30c7\u30fc\u30c8\u3059\u308b\u3082\u306e\u304c\u3042\u308a\u307e\u305b\u3093",
         false},
        {"updater missing", [](Cworld& w) { w.options.updater = w.folder / L"bin\\none.exe"; },
         L"updater.exe \u304c\u898b\u3064\u304b\u308a\u307e\u305b\u3093", false},
        {"out inside new", [](Cworld& w) { w.options.out_dir = w.folder / L"new\\out"; },
         L"\u4e2d\u306b\u3042\u308a\u307e\u3059", false},
        {"a file that became a folder",
         [](Cworld& w) {
             write_file(w.folder / L"new\\engine.dat.d\\x", "x");
             write_file(w.folder / L"old\\engine.dat.d", "x");
         },
         L"\u30d5\u30a9\u30eb\u30c0\u306b\u306a\u3063\u3066\u3044\u307e\u3059", false},
    };
    for (const auto& c : cases) {
        Cworld world;
        c.spoil(world);
        const bool held_a_file = file_exists(world.options.out_dir + L"\\keep.txt");
        const Cmake_update_run run = make_update(world.options);
        const std::wstring report = report_of(run, world.options);
        EXPECT_EQ(make_update_exit_code(run), 2) << c.name << "\n" << report;
        EXPECT_NE(report.find(std::wstring(L": error: ")), std::wstring::npos) << c.name;
        EXPECT_NE(report.find(c.part), std::wstring::npos) << c.name << "\n" << report;
        EXPECT_FALSE(run.kept) << c.name;
        EXPECT_EQ(folder_exists(world.options.out_dir), c.out_exists) << c.name;
        EXPECT_FALSE(file_exists(world.options.out_dir + L"\\update.ini")) << c.name;
        EXPECT_FALSE(folder_exists(world.options.out_dir + L"\\gamedata")) << c.name;
        EXPECT_EQ(file_exists(world.options.out_dir + L"\\keep.txt"), held_a_file) << c.name;
    }
}

TEST(Make_update_command, folders_and_options_in_any_order)
{
    const struct {
        std::vector<const wchar_t*> arguments;
        bool ok;
        const wchar_t* problem_part;
    } cases[] = {
        {{L"old", L"new", L"out", L"--reg-path", L"M\\G", L"--title", L"T"}, true, L""},
        {{L"--title", L"T", L"old", L"--reg-path", L"M\\G", L"new", L"out\\\"", L"--updater", L"u.exe"},
         true, L""},
        {{L"old", L"new", L"--reg-path", L"M\\G", L"--title", L"T"}, false, L"3 \u3064"},
        {{L"a", L"b", L"c", L"d", L"--reg-path", L"M\\G", L"--title", L"T"}, false, L"3 \u3064"},
        {{L"old", L"new", L"out", L"--title", L"T"}, false, L"--reg-path \u3092"},
        {{L"old", L"new", L"out", L"--reg-path", L"M\\G", L"--title"}, false, L"--title \u306e\u3042\u3068"},
        {{L"old", L"new", L"out", L"--reg-path", L"M\\\\G", L"--title", L"T"}, false, L"\u7a7a\u306e\u30ec\u30d9\u30eb"},
        {{L"old", L"new", L"out", L"--reg-path", L"\\M", L"--title", L"T"}, false, L"\u7a7a\u306e\u30ec\u30d9\u30eb"},
        {{L"old", L"new", L"out", L"--reg-path", L"M", L"--title", L""}, false, L"--title \u306e\u5024\u304c\u7a7a"},
        {{L"old", L"new", L"out", L"--reg-path", L"M", L"--title", L"\ud55c"}, false, L"932"},
        {{L"old", L"new", L"out", L"--reg-path", L"M", L"--title", L"T", L"--verbose"}, false, L"--verbose"},
        {{L"old", L"new", L"out", L"--reg-path", L"M", L"--reg-path", L"N", L"--title", L"T"}, false, L"1 \u56de"},
    };
    for (const auto& c : cases) {
        std::vector<const wchar_t*> argv = {L"make-update"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        Cmake_update_command command;
        std::wstring problem;
        const bool ok = parse_make_update_command(static_cast<int>(argv.size()), argv.data(), command,
                                                  problem);
        EXPECT_EQ(ok, c.ok) << c.arguments.size() << " " << problem;
        if (ok) {
            EXPECT_EQ(command.options.old_dir, L"old");
            EXPECT_EQ(command.options.out_dir.substr(0, 3), L"out");
            EXPECT_EQ(command.options.reg_path, L"M\\G");
        } else {
            EXPECT_NE(problem.find(c.problem_part), std::wstring::npos) << problem;
        }
    }
}

}  // namespace
