#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "check/command_line.h"
#include "check/console.h"
#include "check/ini_lint.h"
#include "check/report.h"
#include "check/update_check.h"
#include "copy/plan/room.h"
#include "support/temp_folder.h"

namespace {

TEST(Finding, is_written_as_compilers_write_theirs)
{
    EXPECT_EQ(format_finding({12, Cseverity::warning, L"テキスト"}),
              L"update.ini(12): warning: テキスト");
    EXPECT_EQ(format_finding({0, Cseverity::error, L"x"}), L"update.ini: error: x");
}

TEST(Finding, exit_code_is_the_worst_severity)
{
    EXPECT_EQ(check_exit_code({}), 0);
    EXPECT_EQ(check_exit_code({{1, Cseverity::warning, L""}, {2, Cseverity::warning, L""}}), 1);
    EXPECT_EQ(check_exit_code({{1, Cseverity::warning, L""}, {0, Cseverity::error, L""}}), 2);
}

TEST(Report, numbers_are_grouped_by_thousands)
{
    EXPECT_EQ(grouped_number(0), L"0");
    EXPECT_EQ(grouped_number(999), L"999");
    EXPECT_EQ(grouped_number(1000), L"1,000");
    EXPECT_EQ(grouped_number(305100038), L"305,100,038");
}

TEST(Report, edit_distance_counts_a_swap_as_one)
{
    EXPECT_EQ(edit_distance(L"#copy_file", L"#copy_file"), 0u);
    EXPECT_EQ(edit_distance(L"#copy_fiel", L"#copy_file"), 1u);
    EXPECT_EQ(edit_distance(L"#copyfile", L"#copy_file"), 1u);
    EXPECT_EQ(edit_distance(L"#regpaht", L"#reg_path"), 2u);
    EXPECT_GT(edit_distance(L"#version", L"#reg_path"), 2u);
}

TEST(Console, line_ends_become_crlf)
{
    EXPECT_EQ(with_crlf(L"a\nb\n"), L"a\r\nb\r\n");
    EXPECT_EQ(with_crlf(L""), L"");
}

TEST(Command_line, folder_and_installation_in_any_order)
{
    struct {
        std::vector<const wchar_t*> arguments;
        bool ok;
        const wchar_t* folder;
        const wchar_t* install_dir;
    } const cases[] = {
        {{L"update-check"}, true, L"", nullptr},
        {{L"update-check", L"C:\\u"}, true, L"C:\\u", nullptr},
        {{L"update-check", L"--against", L"D:\\g", L"u"}, true, L"u", L"D:\\g"},
        {{L"update-check", L"C:\\My Update\"", L"--against", L"D:\\g\""}, true, L"C:\\My Update",
         L"D:\\g"},
        {{L"update-check", L"u", L"--against"}, false, L"", nullptr},
        {{L"update-check", L"u", L"v"}, false, L"", nullptr},
        {{L"update-check", L"--fast"}, false, L"", nullptr},
    };
    for (const auto& c : cases) {
        Ccommand_line command;
        std::wstring problem;
        const bool ok = parse_command_line(static_cast<int>(c.arguments.size()), c.arguments.data(),
                                           command, problem);
        EXPECT_EQ(ok, c.ok) << c.arguments.back();
        EXPECT_EQ(problem.empty(), c.ok) << c.arguments.back();
        if (!ok)
            continue;
        EXPECT_EQ(command.folder, c.folder);
        EXPECT_EQ(command.has_install_dir, c.install_dir != nullptr);
        EXPECT_EQ(command.install_dir, c.install_dir ? c.install_dir : L"");
    }
}

// Against an installation: each destination once, replaced or created, and the room
// the updater's own arithmetic asks for on that volume.
TEST(Installation, replaced_created_and_room)
{
    Ctemp_folder install;
    write_file(install / L"data.arc", std::string(10, 'o'));
    write_file(install / L"sub\\old.dat", "o");
    const std::vector<Ccopied_file> files = {
        {L"DATA.arc", 5000}, {L"sub\\new.dat", 100}, {L"sub\\old.dat", 20000}, {L"data.arc", 6000}};
    const Cinstallation_check result = check_installation(files, {}, install.path());
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(result.files[0].path, L"DATA.arc");
    EXPECT_TRUE(result.files[0].exists);
    EXPECT_FALSE(result.files[1].exists);
    EXPECT_TRUE(result.files[2].exists);
    ASSERT_GT(result.cluster, 0u);
    const auto c = [&](std::uint64_t bytes) { return round_up_to_cluster(bytes, result.cluster); };
    // Every new file whole beside the old ones, each path once with its largest
    // size, plus the record of the run: the updater's own figure.
    const std::wstring root = install.path() + L"\\";
    EXPECT_EQ(result.room, c(6000) + c(100) + c(20000) +
                               c(run_record_bytes({root + L"DATA.arc", root + L"sub\\new.dat",
                                                   root + L"sub\\old.dat"})));
    EXPECT_TRUE(result.free_known);
    EXPECT_GT(result.free, 0u);
}

// A folder where a file goes, or a file where a folder must be: the updater refuses
// both, so the check calls them errors.
TEST(Installation, a_folder_or_a_file_in_the_way_is_an_error)
{
    Ctemp_folder install;
    CreateDirectoryW((install / L"data.arc").c_str(), nullptr);
    write_file(install / L"movie", "a file");
    write_file(install / L"sub\\old.dat", "o");
    const std::vector<Ccopied_file> files = {
        {L"data.arc", 5}, {L"movie\\op.mpg", 5}, {L"movie\\ed\\x.mpg", 5}, {L"sub\\old.dat", 5}};
    const Cinstallation_check result = check_installation(files, {}, install.path() + L"\\");
    ASSERT_EQ(result.files.size(), 4u);
    EXPECT_TRUE(result.files[0].blocked);
    EXPECT_TRUE(result.files[1].blocked);
    EXPECT_TRUE(result.files[2].blocked);
    EXPECT_FALSE(result.files[3].blocked);
    ASSERT_EQ(result.findings.size(), 3u);
    for (const Cfinding& finding : result.findings)
        EXPECT_EQ(finding.severity, Cseverity::error);
    EXPECT_NE(result.findings[0].text.find(install / L"data.arc" + L" はフォルダ"), std::wstring::npos);
    EXPECT_NE(result.findings[1].text.find(install / L"movie" + L" はファイルのため、" +
                                           (install / L"movie\\op.mpg")),
              std::wstring::npos);
    EXPECT_NE(result.findings[2].text.find(install / L"movie\\ed\\x.mpg"), std::wstring::npos);
}

TEST(Report, summary_and_installation)
{
    Cfolder_check check;
    check.ini_found = true;
    check.reading.game_title = {L"ゲーム", 2};
    check.reading.reg_path = {L"M\\G", 1};
    Centry_report archive;
    archive.entry = {L"data.arc", 3};
    archive.listed = true;
    archive.files = 1;
    archive.bytes = 1234567;
    Centry_report folder;
    folder.entry = {L"scenario", 4};
    folder.listed = true;
    folder.is_folder = true;
    folder.files = 2;
    folder.bytes = 30;
    Centry_report empty;
    empty.entry = {L"", 5};
    check.entries = {archive, folder, empty};
    check.findings = {{5, Cseverity::error, L"空"}};
    Cinstallation_check installation;
    installation.install_dir = L"C:\\Game";
    installation.files = {{L"data.arc", true}, {L"scenario\\a", false}, {L"scenario", true, true}};
    installation.room = 3 * 1048576 + 1;
    installation.free_known = true;
    installation.free = 2 * 1048576 + 5;
    EXPECT_EQ(format_report(check, &installation),
              L"update.ini(5): error: 空\n"
              L"\n"
              L"ゲーム名: ゲーム\n"
              L"レジストリ: HKEY_LOCAL_MACHINE\\Software\\M\\G\n"
              L"コピーする項目:\n"
              L"  data.arc: 1 ファイル, 1,234,567 バイト\n"
              L"  scenario\\: 2 ファイル, 30 バイト\n"
              L"  \"\": (エラーのため調べていません)\n"
              L"合計: 3 ファイル, 1,234,597 バイト\n"
              L"照合: gamedata.sha256 がないため、ファイルは照合されません。\n"
              L"\n"
              L"インストール先: C:\\Game\n"
              L"  置き換え: data.arc\n"
              L"  新規作成: scenario\\a\n"
              L"  書き込めません: scenario\n"
              L"置き換え 1 ファイル, 新規作成 1 ファイル\n"
              L"必要な空き容量: 3,145,729 バイト (4 MB)\n"
              L"空き容量: 2,097,157 バイト (2 MB)\n"
              L"空き容量が足りません。\n"
              L"\n"
              L"エラー 1 件, 警告 0 件\n");
}

}  // namespace
