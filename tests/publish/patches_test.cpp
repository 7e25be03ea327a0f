#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "check/report.h"
#include "delta/memory_streams.h"
#include "delta/vcdiff_decoder.h"
#include "publish/make_update.h"
#include "publish/patch_file.h"
#include "publish/update_files.h"
#include "support/temp_folder.h"
#include "util/code_page.h"
#include "util/sha256.h"

namespace {

// Bytes that do not compress and that no patch finds in another seed's.
std::string generated(std::size_t size, std::uint32_t seed)
{
    std::string bytes(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// The same bytes with a few changed every `every` bytes and some appended: a
// release's archive with a few entries rewritten.
std::string edited(std::string bytes, std::size_t every)
{
    for (std::size_t at = every / 2; at < bytes.size(); at += every)
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5a);
    return bytes + "appended entry";
}

std::string decoded(const std::string& patch, const std::string& old_bytes)
{
    vcdiff_test::Cmemory_input input(patch);
    vcdiff_test::Cmemory_source source(old_bytes);
    vcdiff_test::Cmemory_target target;
    const vcdiff::Cdecode_result result = vcdiff::decode(input, source, target);
    EXPECT_TRUE(result.ok());
    return target.bytes();
}

std::string sha256sum_line(const std::string& bytes, const char* path)
{
    Csha256 hash;
    Csha256_digest digest{};
    EXPECT_TRUE(hash.add(bytes.data(), bytes.size()) && hash.finish(digest));
    std::string hex;
    for (const wchar_t c : digest_to_hex(digest))
        hex += static_cast<char>(c);
    return hex + "  " + path + "\n";
}

std::size_t lines_of(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(Patch_rules, a_patch_is_tried_from_the_threshold_and_ships_under_the_share)
{
    const struct {
        std::uint64_t new_size;
        std::uint64_t patch_size;
        bool tried;
        bool pays;
    } cases[] = {
        {patch_threshold - 1, 1, false, true},
        {patch_threshold, 1, true, true},
        {1000, 799, false, true},  // 79.9 %
        {1000, 800, false, false},
        {1000000, 799999, true, true},
        {1000000, 800000, true, false},
        {1000000, 2000000, true, false},
        {std::uint64_t(3) << 32, std::uint64_t(1) << 32, true, true},  // past 4 GiB
    };
    for (const auto& c : cases) {
        EXPECT_EQ(worth_a_patch(c.new_size), c.tried) << c.new_size;
        EXPECT_EQ(patch_pays(c.patch_size, c.new_size), c.pays) << c.patch_size << " " << c.new_size;
    }
}

TEST(Patch_rules, copy_entries_never_cover_a_patched_file_or_its_patch)
{
    const struct {
        const char* name;
        std::vector<std::wstring> whole;
        std::vector<std::wstring> patched;
        std::vector<std::wstring> entries;  // a folder's ends in '\'
    } cases[] = {
        {"no patch: top-level items", {L"a.txt", L"data\\x\\1", L"data\\y"}, {},
         {L"a.txt", L"data\\"}},
        {"a folder with a patch and whole files",
         {L"data\\bg\\title.png", L"data\\bg\\end.png", L"data\\script.txt", L"movie\\op.mpg"},
         {L"data\\data.arc"},
         {L"data\\bg\\", L"data\\script.txt", L"movie\\"}},
        {"patches at two depths", {L"data\\sub\\a", L"data\\sub\\deep\\b"},
         {L"data\\sub\\sub.arc", L"data\\main.arc"}, {L"data\\sub\\a", L"data\\sub\\deep\\"}},
        {"a patch at the top", {L"readme.txt"}, {L"game.arc"}, {L"readme.txt"}},
        {"letter case as the updater matches it", {L"DATA\\bg\\t.png"}, {L"data\\d.arc"},
         {L"DATA\\bg\\"}},
        {"a name that starts like the patched folder", {L"data2\\a"}, {L"data\\d.arc"},
         {L"data2\\"}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> entries;
        for (const Cupdate_entry& entry : copy_entries(c.whole, c.patched))
            entries.push_back(entry.name + (entry.is_folder ? L"\\" : L""));
        EXPECT_EQ(entries, c.entries) << c.name;
    }
}

// OLD and NEW with a large archive a few bytes apart (patched), a large file all
// new bytes (whole: its patch would not pay), a small changed file (whole: under the
// threshold) beside the archive, and a large new file (whole).
struct Cpatch_world {
    Cpatch_world()
    {
        write_file(folder / L"old\\data\\data.arc", old_archive);
        write_file(folder / L"new\\data\\data.arc", new_archive);
        write_file(folder / L"old\\data\\bg\\title.png", generated(100000, 2));
        write_file(folder / L"new\\data\\bg\\title.png", generated(100000, 3));
        write_file(folder / L"old\\data\\script.txt", "chapter 1");
        write_file(folder / L"new\\data\\script.txt", "chapter 1, revised");
        write_file(folder / L"new\\data\\voice.arc", generated(70000, 4));
        write_file(folder / L"old\\engine.exe", "engine");
        write_file(folder / L"new\\engine.exe", "engine");
        write_file(folder / L"bin\\updater.exe", "MZ updater");
        options.old_dir = folder / L"old";
        options.new_dir = folder / L"new";
        options.out_dir = folder / L"out";
        options.reg_path = L"Maker\\Game";
        options.game_title = L"Game";
        options.updater = folder / L"bin\\updater.exe";
        options.version = L"1.2.3";
    }
    std::string out_file(const std::wstring& relative) const
    {
        return read_file(options.out_dir + L"\\" + relative);
    }

    const std::string old_archive = generated(300000, 1);
    const std::string new_archive = edited(old_archive, 4096);
    Ctemp_folder folder;
    Cmake_update_options options;
};

std::string ini_head()
{
    std::string bytes;
    EXPECT_TRUE(wide_to_code_page(
        932,
        L"// make-update 1.2.3 \u3067\u4f5c\u6210 (\u5909\u66f4 3, \u65b0\u898f 1, "
        L"\u5909\u66f4\u306a\u3057 1, \u524a\u9664 0 \u30d5\u30a1\u30a4\u30eb)\r\n"
        L"#REG_PATH = \"Maker\\\\Game\"\r\n"
        L"#GAME_TITLE = \"Game\"\r\n",
        bytes));
    return bytes;
}

TEST(Make_update_patches, a_large_file_changed_a_little_ships_as_a_patch_the_updater_reads)
{
    Cpatch_world world;
    const Cmake_update_run run = make_update(world.options);
    const std::wstring report = format_make_update_report(run, world.options);
    ASSERT_TRUE(run.kept) << report;
    EXPECT_TRUE(run.check.findings.empty()) << report;
    EXPECT_EQ(make_update_exit_code(run), 0) << report;

    EXPECT_EQ(world.out_file(L"update.ini"), ini_head() +
                                                 "#COPY_FILE = \"data\\\\bg\"\r\n"
                                                 "#COPY_FILE = \"data\\\\script.txt\"\r\n"
                                                 "#COPY_FILE = \"data\\\\voice.arc\"\r\n"
                                                 "#PATCH_FILE = \"data\\\\data.arc\"\r\n");
    const std::string patch = world.out_file(L"gamedata\\data\\data.arc.vcdiff");
    EXPECT_FALSE(file_exists(world.options.out_dir + L"\\gamedata\\data\\data.arc"));
    EXPECT_LT(patch.size(), world.new_archive.size() / 10);
    EXPECT_EQ(decoded(patch, world.old_archive), world.new_archive);
    EXPECT_TRUE(file_exists(world.options.out_dir + L"\\gamedata\\data\\bg\\title.png"));
    EXPECT_FALSE(file_exists(world.options.out_dir + L"\\gamedata\\data\\bg\\title.png.vcdiff"));

    ASSERT_EQ(run.patches.size(), 1u);
    EXPECT_EQ(run.patches[0].patch_size, patch.size());
    EXPECT_EQ(run.gamedata_bytes, patch.size() + 100000 + 18 + 70000);
    const std::wstring sizes = grouped_number(patch.size());
    EXPECT_NE(report.find(world.options.new_dir + L"\\data\\data.arc: \u30d1\u30c3\u30c1 " + sizes +
                          L" \u30d0\u30a4\u30c8 (\u65b0\u3057\u3044\u30d5\u30a1\u30a4\u30eb 300,014 "),
              std::wstring::npos)
        << report;
    EXPECT_NE(report.find(L"\n\u30d1\u30c3\u30c1: 1 \u30d5\u30a1\u30a4\u30eb, " + sizes), std::wstring::npos)
        << report;
}

// What makes a changed file go whole, and the error when an entry beside a patch
// cannot be written in update.ini's code page (OUT is then left empty).
TEST(Make_update_patches, which_changed_files_ship_as_patches)
{
    const struct {
        const char* name;
        void (*change)(Cpatch_world&);
        bool kept;
        bool patched;  // data\data.arc
        const wchar_t* report_part;
    } cases[] = {
        {"as made", [](Cpatch_world&) {}, true, true, L""},
        {"renamed in letter case only",
         [](Cpatch_world& w) {
             DeleteFileW((w.folder / L"old\\data\\data.arc").c_str());
             write_file(w.folder / L"old\\data\\DATA.ARC", w.old_archive);
         },
         true, true, L""},
        {"a file of the new release where the patch would lie",
         [](Cpatch_world& w) { write_file(w.folder / L"new\\data\\data.arc.vcdiff", "x"); }, true,
         false, L""},
        {"one byte under the threshold",
         [](Cpatch_world& w) {
             write_file(w.folder / L"old\\data\\data.arc", generated(patch_threshold - 1, 5));
             write_file(w.folder / L"new\\data\\data.arc", edited(generated(patch_threshold - 15, 5), 4096));
         },
         true, false, L""},
        {"at the threshold",
         [](Cpatch_world& w) {
             write_file(w.folder / L"old\\data\\data.arc", generated(patch_threshold, 5));
             write_file(w.folder / L"new\\data\\data.arc", edited(generated(patch_threshold - 14, 5), 4096));
         },
         true, true, L""},
        {"a name outside code page 932 beside the patch",
         [](Cpatch_world& w) { write_file(w.folder / L"new\\data\\caf\u00e9.txt", "x"); }, false,
         true, L"\"data\\caf\u00e9.txt\" \u306b\u306f"},
    };
    for (const auto& c : cases) {
        Cpatch_world world;
        c.change(world);
        const Cmake_update_run run = make_update(world.options);
        const std::wstring report = format_make_update_report(run, world.options);
        EXPECT_EQ(run.kept, c.kept) << c.name << "\n" << report;
        EXPECT_EQ(run.patches.size(), c.patched ? 1u : 0u) << c.name;
        // The new release's own data.arc.vcdiff ("x") is no patch.
        const std::wstring patch_path = world.options.out_dir + L"\\gamedata\\data\\data.arc.vcdiff";
        EXPECT_EQ(file_exists(patch_path) && read_file(patch_path) != "x", c.kept && c.patched)
            << c.name;
        EXPECT_EQ(file_exists(world.options.out_dir + L"\\gamedata\\data\\data.arc"), c.kept && !c.patched)
            << c.name;
        EXPECT_NE(report.find(c.report_part), std::wstring::npos) << c.name << "\n" << report;
        if (!c.kept) {
            EXPECT_FALSE(folder_exists(world.options.out_dir)) << c.name;
        }
    }
}

// before.sha256 and after.sha256 as `sha256sum` would write them in each release,
// folder by folder: unchanged files too, so that any installation can be checked.
TEST(Make_update_patches, the_lists_name_every_file_of_each_release_and_the_patch)
{
    Cpatch_world world;
    ASSERT_TRUE(make_update(world.options).kept);
    const std::string title_1 = generated(100000, 2);
    const std::string title_2 = generated(100000, 3);
    EXPECT_EQ(world.out_file(L"before.sha256"),
              sha256sum_line(title_1, "data/bg/title.png") +
                  sha256sum_line(world.old_archive, "data/data.arc") +
                  sha256sum_line("chapter 1", "data/script.txt") +
                  sha256sum_line("engine", "engine.exe"));
    EXPECT_EQ(world.out_file(L"after.sha256"),
              sha256sum_line(title_2, "data/bg/title.png") +
                  sha256sum_line(world.new_archive, "data/data.arc") +
                  sha256sum_line("chapter 1, revised", "data/script.txt") +
                  sha256sum_line(generated(70000, 4), "data/voice.arc") +
                  sha256sum_line("engine", "engine.exe"));
    const std::string patch = world.out_file(L"gamedata\\data\\data.arc.vcdiff");
    EXPECT_EQ(world.out_file(L"gamedata.sha256"),
              sha256sum_line(title_2, "data/bg/title.png") +
                  sha256sum_line(patch, "data/data.arc.vcdiff") +
                  sha256sum_line("chapter 1, revised", "data/script.txt") +
                  sha256sum_line(generated(70000, 4), "data/voice.arc"));
}

TEST(Make_update_patches, the_same_releases_give_the_same_patch_and_lists)
{
    Cpatch_world world;
    ASSERT_TRUE(make_update(world.options).kept);
    Cmake_update_options again = world.options;
    again.out_dir = world.folder / L"again";
    ASSERT_TRUE(make_update(again).kept);
    for (const wchar_t* name : {L"\\update.ini", L"\\gamedata.sha256", L"\\before.sha256",
                                L"\\after.sha256", L"\\gamedata\\data\\data.arc.vcdiff"}) {
        EXPECT_FALSE(read_file(world.options.out_dir + name).empty()) << name;
        EXPECT_EQ(read_file(world.options.out_dir + name), read_file(again.out_dir + name)) << name;
    }
}

TEST(Make_update_patches, whole_ships_every_file_whole)
{
    Cpatch_world world;
    world.options.whole_files = true;
    const Cmake_update_run run = make_update(world.options);
    ASSERT_TRUE(run.kept);
    EXPECT_TRUE(run.patches.empty());
    EXPECT_EQ(world.out_file(L"update.ini"), ini_head() + "#COPY_FILE = \"data\"\r\n");
    EXPECT_EQ(world.out_file(L"gamedata\\data\\data.arc"), world.new_archive);
    EXPECT_FALSE(file_exists(world.options.out_dir + L"\\gamedata\\data\\data.arc.vcdiff"));
    EXPECT_EQ(format_make_update_report(run, world.options).find(L"\u30d1\u30c3\u30c1"),
              std::wstring::npos);
    // The lists are written all the same: they cost the player nothing.
    EXPECT_EQ(lines_of(world.out_file(L"after.sha256")), 5u);
}

}  // namespace
