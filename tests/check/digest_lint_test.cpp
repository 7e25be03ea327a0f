#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "check/report.h"
#include "check/update_check.h"
#include "config/current_folder.h"
#include "support/temp_folder.h"

namespace {

const std::string ini =
    "#REG_PATH = \"Maker\\\\Game\"\r\n"
    "#GAME_TITLE = \"Game\"\r\n"
    "#COPY_FILE = \"a.dat\"\r\n"
    "#COPY_FILE = \"sub\"\r\n";

// sha256sum of "data" (every file of these cases holds it) and of "other".
const std::string data_digest = "3a6eb0790f39ac87c94f3856b2dd2c5d110e6811602261a9a923d3bb23adc8b7";
const std::string other_digest = "d9298a10d1b0735837dc4bd85dac641b0f3cef27a47e5d53a54f2f3f5b2fcffa";

struct Cexpected {
    int line;
    Cseverity severity;
    std::wstring part;
};

const Cseverity E = Cseverity::error;

struct Ccase {
    const char* name;
    std::string list;  // gamedata.sha256 as saved; "-" for none
    std::vector<Cexpected> findings;  // all about gamedata.sha256
    std::wstring summary;
};

// The forms that scripts/check-e2e.py's "digests" case shows line for line under Wine
// (a digest that differs, a line of another form, lines that check nothing, a copied
// file not listed) are not repeated here.
std::vector<Ccase> cases()
{
    const std::string a = data_digest + "  a.dat\n";
    const std::string b = data_digest + " *sub/b.dat\n";
    return {
        {"no list", "-", {}, L"照合: gamedata.sha256 がないため、ファイルは照合されません。"},
        {"every copied file listed and matching", a + b, {},
         L"照合: コピーする 2 ファイルすべてが gamedata.sha256 と一致しました。"},
        {"paths in capitals and with backslashes",
         data_digest + "  A.DAT\r\n" + data_digest + "  SUB\\B.DAT\r\n", {},
         L"照合: コピーする 2 ファイルすべてが gamedata.sha256 と一致しました。"},
        {"a file listed twice, once wrongly", a + b + other_digest + "  a.dat\n",
         {{3, E, L"gamedata\\a.dat の SHA-256 がこの行と一致しません"}},
         L"照合: コピーする 2 ファイルのうち、gamedata.sha256 と一致したのは 1 ファイルです。"},
        {"an empty list", "",
         {{0, E, L"gamedata\\a.dat はコピーされますが"}, {0, E, L"gamedata\\sub\\b.dat はコピーされますが"}},
         L"照合: コピーする 2 ファイルのうち、gamedata.sha256 と一致したのは 0 ファイルです。"},
    };
}

TEST(Digest_lint, each_list_gives_its_findings_and_summary)
{
    for (const Ccase& c : cases()) {
        Ctemp_folder folder;
        write_file(folder / L"update.ini", ini);
        write_file(folder / L"gamedata\\a.dat", "data");
        write_file(folder / L"gamedata\\sub\\b.dat", "data");
        write_file(folder / L"gamedata\\extra.dat", "data");
        if (c.list != "-")
            write_file(folder / L"gamedata.sha256", c.list);
        Cfolder_check result;
        {
            Ccurrent_folder current(folder.path());
            result = check_update_folder();
        }
        std::wstring shown;
        std::vector<Cfinding> about_list;
        for (const Cfinding& finding : result.findings) {
            shown += format_finding(finding) + L"\n";
            if (finding.file == L"gamedata.sha256")
                about_list.push_back(finding);
        }
        ASSERT_EQ(about_list.size(), c.findings.size()) << c.name << "\n" << shown;
        for (std::size_t i = 0; i < c.findings.size(); ++i) {
            EXPECT_EQ(about_list[i].line, c.findings[i].line) << c.name << "\n" << shown;
            EXPECT_EQ(about_list[i].severity, c.findings[i].severity) << c.name << "\n" << shown;
            EXPECT_NE(about_list[i].text.find(c.findings[i].part), std::wstring::npos)
                << c.name << ": wanted " << c.findings[i].part << "\n" << shown;
        }
        const std::wstring report = format_report(result, nullptr);
        EXPECT_NE(report.find(L"\n" + c.summary + L"\n"), std::wstring::npos)
            << c.name << "\n" << report;
    }
}

TEST(Digest_lint, findings_name_the_list_as_compilers_name_files)
{
    Cfinding finding{3, Cseverity::error, L"x", L"gamedata.sha256"};
    EXPECT_EQ(format_finding(finding), L"gamedata.sha256(3): error: x");
    finding.line = 0;
    EXPECT_EQ(format_finding(finding), L"gamedata.sha256: error: x");
}

TEST(Digest_lint, a_list_that_cannot_be_read_is_an_error)
{
    Ctemp_folder folder;
    write_file(folder / L"update.ini", ini);
    write_file(folder / L"gamedata\\a.dat", "data");
    write_file(folder / L"gamedata\\sub\\b.dat", "data");
    CreateDirectoryW((folder / L"gamedata.sha256").c_str(), nullptr);
    Ccurrent_folder current(folder.path());
    const Cfolder_check result = check_update_folder();
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(format_finding(result.findings[0]),
              L"gamedata.sha256: error: gamedata.sha256 を読み込めません (更新プログラムはアップデートを中止します)。");
    EXPECT_EQ(check_exit_code(result.findings), 2);
    EXPECT_NE(format_report(result, nullptr).find(L"照合: gamedata.sha256 を読み込めないため、照合できません。"),
              std::wstring::npos);
}

}  // namespace
