#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "install/destination.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"

namespace {

using Cnames = std::vector<std::wstring>;

class Destination : public testing::Test {
protected:
    void SetUp() override
    {
        update_info = Cupdate_info();
        update_info.game_title = L"ゲーム";
        write_file(install / L"VellocEngine.exe", "engine");
        update_info.exe_dir = install.path();
        update_info.dat_setup = L"full";
    }
    void TearDown() override { update_info = Cupdate_info(); }

    Ctemp_folder install;
};

TEST_F(Destination, a_complete_installation_passes_and_becomes_the_destination)
{
    Crecording_boxes boxes;
    EXPECT_TRUE(check_destination());
    EXPECT_EQ(update_info.dest_dir, install.path());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Destination, a_trailing_separator_is_kept_and_the_engine_still_found)
{
    update_info.exe_dir = install.path() + L"\\";
    Crecording_boxes boxes({IDYES});
    EXPECT_TRUE(check_destination());
    EXPECT_EQ(update_info.dest_dir, install.path() + L"\\");
    EXPECT_TRUE(confirm_update());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, msg::confirm_overwrite(install.path() + L"\\"));
}

TEST_F(Destination, an_engine_with_odd_attributes_counts)
{
    SetFileAttributesW((install / L"VellocEngine.exe").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Crecording_boxes boxes;
    EXPECT_TRUE(check_destination());
}

TEST_F(Destination, reports_the_first_failing_test)
{
    const std::wstring engine = install / L"VellocEngine.exe";
    struct {
        const char* name;
        std::wstring exe_dir;
        std::wstring dat_setup;
        bool remove_engine;
        bool engine_is_folder;
        std::wstring message;
    } const cases[] = {
        {"empty exe_dir", L"", L"full", false, false, msg::destination_missing(L"")},
        {"missing folder", install / L"none", L"full", false, false,
         msg::destination_missing(install / L"none")},
        {"a file", engine, L"full", false, false, msg::destination_missing(engine)},
        {"no engine", install.path(), L"full", true, false, msg::engine_missing},
        {"engine is a folder", install.path(), L"full", true, true, msg::engine_missing},
        {"minimal without engine", install.path(), L"minimum", true, false, msg::engine_missing},
        {"Full", install.path(), L"Full", false, false, msg::setup_not_full},
        {"FULL", install.path(), L"FULL", false, false, msg::setup_not_full},
        {"full and a space", install.path(), L"full ", false, false, msg::setup_not_full},
        {"empty setup", install.path(), L"", false, false, msg::setup_not_full},
    };
    for (const auto& c : cases) {
        remove_tree(engine);
        DeleteFileW(engine.c_str());
        if (c.engine_is_folder)
            CreateDirectoryW(engine.c_str(), nullptr);
        else if (!c.remove_engine)
            write_file(engine, "engine");
        update_info.exe_dir = c.exe_dir;
        update_info.dat_setup = c.dat_setup;
        update_info.dest_dir.clear();

        Crecording_boxes boxes;
        EXPECT_FALSE(check_destination()) << c.name;
        EXPECT_EQ(update_info.dest_dir, c.exe_dir) << c.name;
        EXPECT_EQ(boxes.texts(), (Cnames{c.message, msg::update_failed})) << c.name;
        for (const Cshown_box& box : boxes.shown())
            EXPECT_EQ(box.caption, L"ゲーム") << c.name;
    }
}

TEST_F(Destination, the_question_and_its_answers)
{
    update_info.dest_dir = L"C:\\ゲーム";
    struct {
        int answer;
        bool go_on;
        Cnames texts;
    } const cases[] = {
        {IDYES, true, {msg::confirm_overwrite(L"C:\\ゲーム")}},
        {IDNO, false, {msg::confirm_overwrite(L"C:\\ゲーム"), msg::update_cancelled}},
        // Anything but Yes, a box that failed (0) too, is no consent.
        {IDCANCEL, false, {msg::confirm_overwrite(L"C:\\ゲーム"), msg::update_cancelled}},
        {0, false, {msg::confirm_overwrite(L"C:\\ゲーム"), msg::update_cancelled}},
    };
    for (const auto& c : cases) {
        Crecording_boxes boxes({c.answer});
        EXPECT_EQ(confirm_update(), c.go_on) << c.answer;
        EXPECT_EQ(boxes.texts(), c.texts) << c.answer;
        ASSERT_FALSE(boxes.shown().empty());
        EXPECT_EQ(boxes.shown()[0].style, UINT(MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2));
        EXPECT_EQ(boxes.shown()[0].caption, L"ゲーム");
        EXPECT_EQ(boxes.shown()[0].owner, nullptr);
        if (boxes.shown().size() > 1) {
            EXPECT_EQ(boxes.shown()[1].style, UINT(MB_OK | MB_ICONINFORMATION));
        }
    }
}

}  // namespace
