#include <gtest/gtest.h>

#include "util/path.h"

namespace {

struct Cpath_case {
    const wchar_t* input;
    const wchar_t* folder;
    const wchar_t* file_name;
    const wchar_t* extension;
    const wchar_t* without_extension;
};

const Cpath_case path_cases[] = {
    {L"C:\\Game\\bin\\up.exe", L"C:\\Game\\bin", L"up.exe", L"exe", L"C:\\Game\\bin\\up"},
    {L"C:\\Game\\bin\\", L"C:\\Game\\bin", L"", L"", L"C:\\Game\\bin\\"},
    {L"up.exe", L"up.exe", L"up.exe", L"exe", L"up"},
    {L"C:\\up.exe", L"C:", L"up.exe", L"exe", L"C:\\up"},
    {L"\\up", L"", L"up", L"", L"\\up"},
    {L"data\\arc.tar.gz", L"data", L"arc.tar.gz", L"gz", L"data\\arc.tar"},
    {L"data.v\\readme", L"data.v", L"readme", L"", L"data.v\\readme"},
    {L"data\\name.", L"data", L"name.", L"", L"data\\name"},
    {L".ini", L".ini", L".ini", L"ini", L""},
    {L"a/b.txt", L"a/b.txt", L"a/b.txt", L"txt", L"a/b"},
    {L"", L"", L"", L"", L""},
    {L"C:\\Games\\Upd\\updater.old.exe", L"C:\\Games\\Upd", L"updater.old.exe", L"exe",
     L"C:\\Games\\Upd\\updater.old"},
    {L"C:\\ゲーム\\データ.ＤＡＴ", L"C:\\ゲーム", L"データ.ＤＡＴ", L"ＤＡＴ", L"C:\\ゲーム\\データ"},
};

class Path_helpers : public testing::TestWithParam<Cpath_case> {};

TEST_P(Path_helpers, split_the_path)
{
    const Cpath_case& c = GetParam();
    EXPECT_EQ(path_folder(c.input), c.folder);
    EXPECT_EQ(path_file_name(c.input), c.file_name);
    EXPECT_EQ(path_extension(c.input), c.extension);
    EXPECT_EQ(path_without_extension(c.input), c.without_extension);
}

INSTANTIATE_TEST_SUITE_P(Table, Path_helpers, testing::ValuesIn(path_cases));

TEST(Path_helpers, module_name_is_the_file_name_without_its_last_extension)
{
    EXPECT_EQ(path_without_extension(path_file_name(L"D:\\updater.old.exe")), L"updater.old");
}

TEST(Lower_ascii, folds_only_a_to_z)
{
    std::wstring text = L"Data\\ＡＢＣ.DAT @[`{ ÀÉ ｱ";
    to_lower_ascii(text);
    EXPECT_EQ(text, L"data\\ＡＢＣ.dat @[`{ ÀÉ ｱ");
}

TEST(Lower_ascii, copy_leaves_its_argument_unchanged)
{
    const std::wstring original = L"README.TXT";
    EXPECT_EQ(lower_ascii_copy(original), L"readme.txt");
    EXPECT_EQ(original, L"README.TXT");
}

}  // namespace
