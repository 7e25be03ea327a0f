// The checks of the #PATCH_FILE entries and their lists, with update.ini: each
// fault named before the registry and the question.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/checks.h"
#include "config/patch_sources.h"
#include "current_folder.h"
#include "session/messages.h"
#include "session/update_info.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"

namespace {

TEST(Copy_entry_covers_patch, the_file_its_patch_or_a_folder_holding_them)
{
    struct {
        const wchar_t* copy;
        const wchar_t* patch;
        bool covers;
    } const cases[] = {
        {L"data.arc", L"data.arc", true},
        {L"DATA.ARC", L"data.arc", true},
        {L"data.arc.vcdiff", L"data.arc", true},
        {L"data", L"data/x.arc", true},
        {L"./data/", L"data\\x.arc", true},
        {L"dat", L"data/x.arc", false},
        {L"data/x.arc.bak", L"data/x.arc", false},
        {L"data/x", L"data/x.arc", false},
        {L"other", L"data.arc", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(copy_entry_covers_patch(c.copy, c.patch), c.covers) << c.copy << L" " << c.patch;
}

// A readable header: magic, version 0, no indicator bits.
const std::string readable_header("\xD6\xC3\xC4\x00\x00", 5);

class Check_patch_sources : public testing::Test {
protected:
    void SetUp() override
    {
        saved_ = update_info;
        prepare();
    }
    void prepare()
    {
        update_info = Cupdate_info();
        update_info.source_dir = L"gamedata";
        write_file(folder_ / L"gamedata\\data.arc.vcdiff", readable_header);
        write_file(folder_ / L"before.sha256", std::string(64, 'a') + "  data.arc\n");
        write_file(folder_ / L"after.sha256", std::string(64, 'b') + "  ./DATA.ARC\n");
    }
    void TearDown() override { update_info = saved_; }

    std::vector<std::wstring> boxes_after(bool expected)
    {
        Ccurrent_folder current(folder_.path());
        EXPECT_EQ(check_patch_sources(), expected);
        return boxes_.texts();
    }

    Ctemp_folder folder_;
    Crecording_boxes boxes_;
    Cupdate_info saved_;
};

TEST_F(Check_patch_sources, reads_both_lists_for_a_patch_in_order)
{
    update_info.patch_files = {L"data.arc"};
    EXPECT_TRUE(boxes_after(true).empty());
    ASSERT_EQ(update_info.before_digests.size(), 1u);
    ASSERT_EQ(update_info.after_digests.size(), 1u);
    EXPECT_EQ(update_info.after_digests[0].path, L"./DATA.ARC");
}

TEST_F(Check_patch_sources, without_patches_no_list_is_needed)
{
    DeleteFileW((folder_ / L"before.sha256").c_str());
    EXPECT_TRUE(boxes_after(true).empty());
}

TEST_F(Check_patch_sources, each_fault_is_named_with_the_closing_notice)
{
    struct Ccase {
        const char* what;
        std::vector<std::wstring> patches;
        std::vector<std::wstring> copies;
        std::string patch_bytes;
        const wchar_t* removed;
        std::wstring warning;
    };
    const std::wstring patch = L"gamedata\\data.arc.vcdiff";
    const std::vector<Ccase> cases = {
        {"empty", {L"data.arc", L""}, {}, readable_header, nullptr,
         format_wide(msg::patch_entry_empty_format, 2)},
        {"climbs out", {L"..\\system.ini"}, {}, readable_header, nullptr,
         format_wide(msg::patch_entry_unsafe_format, 1)},
        {"twice", {L"data.arc", L"DATA.arc"}, {}, readable_header, nullptr,
         msg::patch_entry_twice(L"DATA.arc")},
        {"also copied", {L"data.arc"}, {L"a.dat", L"data.arc.vcdiff"}, readable_header, nullptr,
         msg::patch_entry_also_copied(L"data.arc")},
        {"no patch", {L"other.arc"}, {}, readable_header, nullptr,
         msg::source_file_missing(L"gamedata\\other.arc.vcdiff")},
        {"secondary compression", {L"data.arc"}, {}, std::string("\xD6\xC3\xC4\x00\x01\x02", 6),
         nullptr, msg::patch_compressed(patch)},
        {"own code table", {L"data.arc"}, {}, std::string("\xD6\xC3\xC4\x00\x02", 5), nullptr,
         msg::patch_code_table(patch)},
        {"not a patch", {L"data.arc"}, {}, "PK\x03\x04", nullptr, msg::patch_unreadable(patch)},
        {"no before list", {L"data.arc"}, {}, readable_header, L"before.sha256",
         msg::patch_list_missing(L"before.sha256")},
    };
    for (const Ccase& c : cases) {
        prepare();
        update_info.patch_files = c.patches;
        update_info.copy_files = c.copies;
        write_file(folder_ / patch, c.patch_bytes);
        if (c.removed)
            DeleteFileW((folder_ / c.removed).c_str());
        boxes_.clear();
        EXPECT_EQ(boxes_after(false), (std::vector<std::wstring>{c.warning, msg::update_failed}))
            << c.what;
    }
}

TEST_F(Check_patch_sources, a_list_must_name_every_patched_path)
{
    write_file(folder_ / L"gamedata\\b.arc.vcdiff", readable_header);
    update_info.patch_files = {L"data.arc", L"b.arc"};
    EXPECT_EQ(boxes_after(false),
              (std::vector<std::wstring>{msg::patched_file_not_in_list(L"b.arc", L"before.sha256"),
                                         msg::update_failed}));
    boxes_.clear();
    write_file(folder_ / L"after.sha256", "not a line\n");
    update_info.patch_files = {L"data.arc"};
    EXPECT_EQ(boxes_after(false),
              (std::vector<std::wstring>{msg::patch_list_line_unreadable(L"after.sha256", 1),
                                         msg::update_failed}));
}

}  // namespace
