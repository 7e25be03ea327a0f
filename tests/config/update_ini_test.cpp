#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "config/update_ini.h"
#include "current_folder.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"

namespace {

using Cnames = std::vector<std::wstring>;

class Update_ini : public testing::Test {
protected:
    void SetUp() override { update_info = Cupdate_info(); }
    void TearDown() override { update_info = Cupdate_info(); }

    // Writes update.ini (bytes as given) and reads it with the updater's folder current.
    bool read(const std::string& bytes)
    {
        write_file(folder / L"update.ini", bytes);
        return read_missing();
    }
    bool read_missing()
    {
        Ccurrent_folder current(folder.path());
        return read_update_ini();
    }

    Ctemp_folder folder;
    Crecording_boxes boxes;
};

TEST_F(Update_ini, missing_file_shows_two_warnings_and_sets_nothing)
{
    EXPECT_FALSE(read_missing());
    ASSERT_EQ(boxes.texts(), (Cnames{msg::ini_missing, msg::update_failed}));
    for (const Cshown_box& box : boxes.shown()) {
        EXPECT_EQ(box.caption, L"");
        EXPECT_EQ(box.style, UINT(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, nullptr);
    }
    EXPECT_TRUE(update_info.source_dir.empty());
    EXPECT_TRUE(update_info.reg_path.empty());
}

TEST_F(Update_ini, empty_file_is_read_without_values)
{
    EXPECT_TRUE(read(""));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(update_info.reg_path.empty());
    EXPECT_TRUE(update_info.game_title.empty());
    EXPECT_TRUE(update_info.copy_files.empty());
    EXPECT_EQ(update_info.source_dir, L"gamedata");
}

TEST_F(Update_ini, reads_keys_and_skips_everything_else)
{
    const std::string ini =
        "// comment\r\n"
        "//#REG_PATH = \"commented\"\r\n"
        "\r\n"
        " \t \r\n"
        "#REG_PATH = \"First\"\r\n"
        "#REG_PATH=\"Maker\\\\Game\"   // the last one wins\r\n"
        "#GAME_TITLE\t=\t\"\x83\x5C\x95\x5C\x97\x5C \\\"2\\\"\"\r\n"  // ソ表予 "2"
        "#COPY_FILE = \"data.arc\"\n"
        "#COPY_FILE = \"folder\\\\file.dat\"\r\n"
        "#COPY_FILE = \"folder\\file.dat\"\r\n"
        "#COPY_FILE = \"\"\r\n"
        "#COPY_FILE = \"data.arc\"\r\n"
        " #COPY_FILE = \"indented by a space\"\r\n"
        "\t#COPY_FILE = \"indented by a tab\"\r\n"
        "#copy_file = \"lower case\"\r\n"
        "#COPY_FILE = unquoted\r\n"
        "#COPY_FILE = \"unterminated\r\n"
        "#OTHER = \"x\"\r\n"
        "free text\r\n";
    EXPECT_TRUE(read(ini));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(update_info.reg_path, L"Maker\\Game");
    EXPECT_EQ(update_info.game_title, L"ソ表予 \"2\"");
    EXPECT_EQ(update_info.copy_files,
              (Cnames{L"data.arc", L"folder\\file.dat", L"folderfile.dat", L"", L"data.arc"}));
    EXPECT_EQ(update_info.source_dir, L"gamedata");
}

TEST_F(Update_ini, a_byte_order_mark_hides_the_first_key_only)
{
    EXPECT_TRUE(read("\xEF\xBB\xBF#REG_PATH = \"a\"\r\n#GAME_TITLE = \"t\"\r\n"));
    EXPECT_TRUE(update_info.reg_path.empty());
    EXPECT_EQ(update_info.game_title, L"t");
}

TEST_F(Update_ini, a_utf16_file_gives_no_key)
{
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string("#REG_PATH = \"a\"\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_TRUE(read(utf16));
    EXPECT_TRUE(update_info.reg_path.empty());
}

}  // namespace
