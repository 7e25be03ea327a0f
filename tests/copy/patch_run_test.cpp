// A run with patched files: the installed file hashed and compared with the lists,
// the patch applied into the staging folder and checked, and every way it can be
// refused leaving the installation as it was.

#include "copy/update_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "copy/record/staging.h"
#include "copy_test_support.h"
#include "delta/vcdiff_encoder.h"
#include "session/messages.h"
#include "util/sha256.h"
#include "../delta/memory_streams.h"

namespace {

using copy_test::pattern_bytes;
using vcdiff_test::Cmemory_input;
using vcdiff_test::Cmemory_source;

// A patch made by the project's own writer, in memory.
std::string make_patch(const std::string& old_bytes, const std::string& new_bytes)
{
    Cmemory_source old_file(old_bytes);
    Cmemory_input new_file(new_bytes);
    vcdiff_test::Cmemory_output patch;
    EXPECT_EQ(vcdiff::encode(old_file, new_file, patch), vcdiff::Cencode_result::written);
    return patch.written;
}

using copy_test::digest_of;

class Patch_run : public copy_test::Copy_world {
protected:
    // The installed archive is `installed`; the update patches old_ into new_.
    void prepare(const std::string& installed, const std::string& patch)
    {
        write_file(dest(L"data\\data.arc"), installed);
        write_file(source(L"data\\data.arc.vcdiff"), patch);
        write_file(source(L"readme.txt"), "new readme");
        update_info.copy_files = {L"readme.txt"};
        update_info.patch_files = {L"data/data.arc"};
        update_info.before_digests = {{L"data/data.arc", digest_of(old_), 1}};
        update_info.after_digests = {{L"data/data.arc", digest_of(new_), 1}};
        before_ = copy_test::snapshot(update_info.dest_dir);
    }

    const std::string old_ = pattern_bytes(3000000, 1);
    const std::string new_ = pattern_bytes(1000000, 1) + "a scenario line" + pattern_bytes(2100000, 2);
    copy_test::Csnapshot before_;
};

TEST_F(Patch_run, the_installed_file_becomes_its_new_version)
{
    prepare(old_, make_patch(old_, new_));

    EXPECT_TRUE(update_process());

    EXPECT_EQ(read_file(dest(L"data\\data.arc")), new_);
    EXPECT_EQ(read_file(dest(L"readme.txt")), "new readme");
    EXPECT_FALSE(folder_exists(staging_folder(update_info.dest_dir)));
    EXPECT_TRUE(boxes_.texts().empty());
}

TEST_F(Patch_run, a_file_already_new_is_left_alone)
{
    prepare(new_, make_patch(old_, new_));

    EXPECT_TRUE(update_process());

    EXPECT_EQ(read_file(dest(L"data\\data.arc")), new_);
    EXPECT_EQ(read_file(dest(L"readme.txt")), "new readme");
    EXPECT_TRUE(boxes_.texts().empty());
}

// Each refusal names what is wrong, and nothing of the installation changes.
TEST_F(Patch_run, every_refusal_leaves_the_installation_as_it_was)
{
    struct Ccase {
        const char* what;
        std::string installed;
        bool damage_patch;
        bool list_gamedata_without_patch;
        std::wstring warning;  // relative to the fixture's folders, filled below
    };
    std::string other = old_;
    other[10] ^= 1;
    const std::vector<Ccase> cases = {
        {"another version installed", other, false, false, L"other"},
        {"a byte of the patch changed", old_, true, false, L"damaged"},
        {"gamedata.sha256 without the patch", old_, false, true, L"not listed"},
    };
    for (const Ccase& c : cases) {
        std::string patch = make_patch(old_, new_);
        if (c.damage_patch)
            patch[patch.size() / 2] ^= 0x10;
        prepare(c.installed, patch);
        update_info.has_digest_list = c.list_gamedata_without_patch;
        update_info.listed_digests = {{L"readme.txt", digest_of("new readme"), 1}};
        boxes_.clear();

        EXPECT_FALSE(update_process()) << c.what;

        const std::wstring archive = dest(L"data\\data.arc");
        const std::wstring patch_path = source(L"data\\data.arc.vcdiff");
        const std::wstring warning = c.warning == L"other"     ? msg::patched_file_other_version(archive)
                                     : c.warning == L"damaged" ? msg::source_damaged(patch_path)
                                                               : msg::source_not_in_digest_list(patch_path);
        EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{warning, msg::update_failed})) << c.what;
        EXPECT_EQ(copy_test::snapshot(update_info.dest_dir), before_) << c.what;
    }
}

TEST_F(Patch_run, a_missing_installed_file_is_named)
{
    prepare(old_, make_patch(old_, new_));
    DeleteFileW(dest(L"data\\data.arc").c_str());

    EXPECT_FALSE(update_process());

    EXPECT_EQ(boxes_.texts(), (std::vector<std::wstring>{
                                  msg::patched_file_missing(dest(L"data\\data.arc")),
                                  msg::update_failed}));
}

}  // namespace
