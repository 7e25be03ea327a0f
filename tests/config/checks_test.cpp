#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "config/checks.h"
#include "current_folder.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"

namespace {

using Cnames = std::vector<std::wstring>;

std::wstring empty_entry(int position)
{
    return format_wide(msg::copy_entry_empty_format, position);
}

std::wstring unsafe_entry(int position)
{
    return format_wide(msg::copy_entry_unsafe_format, position);
}

TEST(Format_wide, formats_numbers_and_cuts_at_1023_characters)
{
    EXPECT_EQ(empty_entry(2), L"update.ini の 2 個目の COPY_FILE が指定されていません。");
    EXPECT_EQ(format_wide(L"%d-%ls", -7, L"ソ"), L"-7-ソ");
    const std::wstring long_text(3000, L'x');
    EXPECT_EQ(format_wide(L"%ls", long_text.c_str()), long_text.substr(0, 1023));
}

TEST(Check_reg_path_and_title, reports_the_first_missing_value)
{
    struct {
        const wchar_t* reg_path;
        const wchar_t* game_title;
        bool ok;
        Cnames texts;
    } const cases[] = {
        {L"", L"", false, {msg::reg_path_missing, msg::update_failed}},
        {L"", L"Game", false, {msg::reg_path_missing, msg::update_failed}},
        {L"Maker\\Game", L"", false, {msg::game_title_missing, msg::update_failed}},
        {L" ", L" ", true, {}},  // only the length counts
        {L"Maker\\Game", L"ゲーム", true, {}},
    };
    for (const auto& c : cases) {
        update_info = Cupdate_info();
        update_info.reg_path = c.reg_path;
        update_info.game_title = c.game_title;
        Crecording_boxes boxes;
        EXPECT_EQ(check_reg_path_and_title(), c.ok) << c.reg_path << L"/" << c.game_title;
        EXPECT_EQ(boxes.texts(), c.texts) << c.reg_path << L"/" << c.game_title;
        for (const Cshown_box& box : boxes.shown()) {
            EXPECT_EQ(box.caption, c.game_title);
            EXPECT_EQ(box.style, UINT(MB_OK | MB_ICONWARNING));
        }
    }
    update_info = Cupdate_info();
}

TEST(Unsafe_copy_entry, refuses_what_could_leave_the_folder)
{
    for (const wchar_t* entry : {L"..", L"..\\..\\x", L"../x", L"a\\..\\b", L"a/../b", L"a\\..",
                                 L"\\x", L"/x", L"\\\\server\\share\\x", L"C:x", L"C:\\x",
                                 L"a.dat:stream", L"a\\..\\",
                                 // the source folder itself
                                 L".", L"./", L".\\", L"...", L"... ", L" ", L". / ."})
        EXPECT_TRUE(is_unsafe_copy_entry(entry)) << entry;
    for (const wchar_t* entry : {L"a.dat", L".\\a.dat", L"a\\.\\b", L"a..b", L"..a", L"a..",
                                 L"v1.0\\x.dat", L"a\\b\\", L"ソ表予\\x", L". a"})
        EXPECT_FALSE(is_unsafe_copy_entry(entry)) << entry;
}

class Check_copy_sources : public testing::Test {
protected:
    void SetUp() override
    {
        update_info = Cupdate_info();
        update_info.game_title = L"ゲーム";
        update_info.source_dir = L"gamedata";
        write_file(folder / L"gamedata\\a.dat", "a");
        write_file(folder / L"gamedata\\sub\\b.dat", "b");
        write_file(folder / L"outside.dat", "secret");
    }
    void TearDown() override { update_info = Cupdate_info(); }

    bool check(const Cnames& entries)
    {
        update_info.copy_files = entries;
        Ccurrent_folder current(folder.path());
        return check_copy_sources();
    }

    Ctemp_folder folder;
};

TEST_F(Check_copy_sources, existing_files_and_folders_pass)
{
    Crecording_boxes boxes;
    EXPECT_TRUE(check({L"a.dat", L"sub", L"sub\\b.dat", L".\\a.dat", L"a.dat"}));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Check_copy_sources, an_empty_list_passes)
{
    Crecording_boxes boxes;
    EXPECT_TRUE(check({}));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Check_copy_sources, source_folder_missing_or_a_file)
{
    Crecording_boxes boxes;
    remove_tree(folder / L"gamedata");
    EXPECT_FALSE(check({L"a.dat"}));
    write_file(folder / L"gamedata", "not a folder");
    EXPECT_FALSE(check({L"a.dat"}));
    const std::wstring message = L"コピー元の gamedata フォルダが見つかりません。";
    EXPECT_EQ(boxes.texts(), (Cnames{message, msg::update_failed, message, msg::update_failed}));
    EXPECT_EQ(boxes.shown()[0].caption, L"ゲーム");
}

TEST_F(Check_copy_sources, reports_only_the_first_problem_with_its_position_or_path)
{
    struct {
        Cnames entries;
        std::wstring message;
    } const cases[] = {
        {{L"a.dat", L""}, empty_entry(2)},
        {{L"x", L"a.dat", L""}, L"コピー元のファイル gamedata\\x が見つかりません。"},
        {{L"*.dat"}, L"コピー元のファイル gamedata\\*.dat が見つかりません。"},
        {{L"a.dat", L"..\\outside.dat"}, unsafe_entry(2)},
        {{L"a.dat", L"sub\\..\\..\\outside.dat"}, unsafe_entry(2)},
        {{L"\\Windows"}, unsafe_entry(1)},
        {{L"C:\\Windows"}, unsafe_entry(1)},
        {{L"", L"..\\outside.dat"}, empty_entry(1)},
        {{L"x", L"..\\outside.dat"}, L"コピー元のファイル gamedata\\x が見つかりません。"},
        // The source folder itself would be copied over the installation folder.
        {{L"a.dat", L"."}, unsafe_entry(2)},
        {{L"./"}, unsafe_entry(1)},
        {{L"a.dat", L"sub", L"... "}, unsafe_entry(3)},
    };
    for (const auto& c : cases) {
        Crecording_boxes boxes;
        EXPECT_FALSE(check(c.entries)) << c.message;
        EXPECT_EQ(boxes.texts(), (Cnames{c.message, msg::update_failed}));
    }
}

}  // namespace
