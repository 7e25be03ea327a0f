#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "session/messages.h"
#include "app/sequence.h"
#include "config/checks.h"
#include "install/registry.h"
#include "copy/update_run.h"
#include "install/destination.h"
#include "session/notices.h"
#include "session/update_info.h"
#include "support/recording_boxes.h"

namespace {

// Fake steps that log their calls and answer as scripted.
std::vector<int> calls;
bool results[4];

template <int N>
bool step()
{
    calls.push_back(N);
    return results[N];
}

class Sequence : public testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        for (bool& r : results)
            r = true;
        update_info = Cupdate_info();
    }
    const std::vector<Cupdate_step> fake_steps = {step<0>, step<1>, step<2>, step<3>};
};

TEST_F(Sequence, runs_every_step_in_order_then_shows_success_with_the_title)
{
    Crecording_boxes boxes;
    update_info.game_title = L"テストゲーム";
    EXPECT_TRUE(run_steps(fake_steps));
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(boxes.shown().size(), 1u);
    const Cshown_box& box = boxes.shown()[0];
    EXPECT_EQ(box.text, msg::update_succeeded);
    EXPECT_EQ(box.caption, L"テストゲーム");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.style, UINT(MB_OK | MB_ICONINFORMATION));
}

TEST_F(Sequence, stops_at_the_first_false_without_a_message_of_its_own)
{
    for (int failing = 0; failing < 4; ++failing) {
        SetUp();
        results[failing] = false;
        Crecording_boxes boxes;
        EXPECT_FALSE(run_steps(fake_steps));
        EXPECT_EQ(calls.size(), size_t(failing + 1)) << "failing step " << failing;
        EXPECT_TRUE(boxes.shown().empty());
    }
}

bool step_out_of_memory()
{
    calls.push_back(9);
    throw std::bad_alloc();
}

TEST_F(Sequence, a_step_that_runs_out_of_memory_ends_the_run_with_a_warning)
{
    Crecording_boxes boxes;
    update_info.game_title = L"テストゲーム";
    EXPECT_FALSE(run_steps({step<0>, step_out_of_memory, step<1>}));
    EXPECT_EQ(calls, (std::vector<int>{0, 9}));
    EXPECT_EQ(boxes.texts(), (std::vector<std::wstring>{msg::out_of_memory, msg::update_failed}));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].style, UINT(MB_OK | MB_ICONWARNING));
}

TEST_F(Sequence, the_real_steps_begin_with_the_reset_and_the_reader)
{
    const std::vector<Cupdate_step>& steps = update_steps();
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(steps[0], &reset_update_info);
}

// A run cut off earlier is mended once the installation is found and checked, and
// before the question: a player who answers No has the installation as it was.
TEST_F(Sequence, the_mending_comes_between_the_installation_check_and_the_question)
{
    const std::vector<Cupdate_step>& steps = update_steps();
    std::size_t check = steps.size(), mend = steps.size(), question = steps.size();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i] == &check_destination)
            check = i;
        if (steps[i] == &mend_cut_off_run)
            mend = i;
        if (steps[i] == &confirm_update)
            question = i;
    }
    EXPECT_EQ(mend, check + 1);
    EXPECT_EQ(question, mend + 1);
}

// The digest list, the patches and their lists are read with update.ini's checks: a
// damaged list or patch stops the update before the registry is read.
TEST_F(Sequence, the_digest_list_is_read_after_the_copy_sources_and_before_the_registry)
{
    const std::vector<Cupdate_step>& steps = update_steps();
    const auto at = [&](Cupdate_step wanted) {
        return std::find(steps.begin(), steps.end(), wanted) - steps.begin();
    };
    EXPECT_EQ(at(&read_update_digests), at(&check_copy_sources) + 1);
    EXPECT_EQ(at(&check_patch_sources), at(&read_update_digests) + 1);
    EXPECT_EQ(at(&read_install_record), at(&check_patch_sources) + 1);
}

TEST_F(Sequence, reset_clears_only_what_update_ini_and_its_digest_list_fill)
{
    update_info.has_digest_list = true;
    update_info.listed_digests = {Clisted_digest{L"a.dat", {}, 1}};
    update_info.reg_path = L"Maker\\Game";
    update_info.game_title = L"Game";
    update_info.copy_files = {L"a.dat"};
    update_info.patch_files = {L"data.arc"};
    update_info.before_digests = {Clisted_digest{L"data.arc", {}, 1}};
    update_info.after_digests = {Clisted_digest{L"data.arc", {}, 1}};
    update_info.exe_dir = L"C:\\Game";
    update_info.source_dir = L"gamedata";
    EXPECT_TRUE(reset_update_info());
    EXPECT_TRUE(update_info.reg_path.empty());
    EXPECT_TRUE(update_info.game_title.empty());
    EXPECT_TRUE(update_info.copy_files.empty());
    EXPECT_FALSE(update_info.has_digest_list);
    EXPECT_TRUE(update_info.listed_digests.empty());
    EXPECT_TRUE(update_info.patch_files.empty());
    EXPECT_TRUE(update_info.before_digests.empty());
    EXPECT_TRUE(update_info.after_digests.empty());
    EXPECT_EQ(update_info.exe_dir, L"C:\\Game");
    EXPECT_EQ(update_info.source_dir, L"gamedata");
}

TEST_F(Sequence, message_helpers_use_the_title_no_owner_and_their_styles)
{
    Crecording_boxes boxes({IDNO});
    update_info.game_title = L"";
    EXPECT_EQ(ask_yes_no(L"question"), IDNO);
    EXPECT_FALSE(fail_update(L"what went wrong"));
    show_information(L"note");
    ASSERT_EQ(boxes.shown().size(), 4u);
    const UINT styles[] = {MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2, MB_OK | MB_ICONWARNING,
                           MB_OK | MB_ICONWARNING, MB_OK | MB_ICONINFORMATION};
    const std::wstring texts[] = {L"question", L"what went wrong", msg::update_failed, L"note"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(boxes.shown()[i].style, styles[i]) << i;
        EXPECT_EQ(boxes.shown()[i].text, texts[i]) << i;
        EXPECT_EQ(boxes.shown()[i].caption, L"") << i;
        EXPECT_EQ(boxes.shown()[i].owner, nullptr) << i;
    }
    EXPECT_EQ(boxes.shown()[1].style, 0x30u);
    EXPECT_EQ(boxes.shown()[0].style, 0x144u);
}

}  // namespace
