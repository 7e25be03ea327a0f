// The check of #PATCH_FILE entries: each fault the updater would stop on, named on
// its line or its list, and what a patch would do to an installation.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "check/report.h"
#include "check/update_check.h"
#include "config/current_folder.h"
#include "delta/vcdiff_encoder.h"
#include "util/sha256.h"
#include "support/temp_folder.h"
#include "../delta/memory_streams.h"

namespace {

using vcdiff_test::Cmemory_input;
using vcdiff_test::Cmemory_source;

const std::string head =
    "#REG_PATH = \"Maker\\\\Game\"\r\n"
    "#GAME_TITLE = \"Game\"\r\n"
    "#COPY_FILE = \"a.dat\"\r\n";
const std::string patch_line = "#PATCH_FILE = \"data.arc\"\r\n";  // line 4 after head

// The installed archive before and after the update: large enough that its patch
// is smaller than it and its room shows above a few clusters.
std::string old_archive()
{
    std::string bytes(200000, '\0');
    unsigned seed = 7;
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::string new_archive()
{
    std::string bytes = old_archive();
    bytes.replace(1000, 5, "fixed");
    return bytes + "appended";
}

class Cpatch_bytes : public vcdiff::Coutput {
public:
    bool write(const void* bytes, std::size_t size) override
    {
        bytes_.append(static_cast<const char*>(bytes), size);
        return true;
    }
    std::string bytes_;
};

// The patch from the old archive to the new, made by the project's own writer.
const std::string& archive_patch()
{
    static const std::string patch = [] {
        Cmemory_source old_file(old_archive());
        Cmemory_input new_file(new_archive());
        Cpatch_bytes written;
        EXPECT_EQ(vcdiff::encode(old_file, new_file, written), vcdiff::Cencode_result::written);
        return written.bytes_;
    }();
    return patch;
}

std::string sha256_line(const std::string& bytes, const std::string& path)
{
    Csha256 hash;
    Csha256_digest digest{};
    EXPECT_TRUE(hash.add(bytes.data(), bytes.size()) && hash.finish(digest));
    const std::wstring hex = digest_to_hex(digest);
    return std::string(hex.begin(), hex.end()) + "  " + path + "\n";
}

// An update folder that patches data.arc as it should, before any case changes it.
void lay_out(const Ctemp_folder& folder, const std::string& ini)
{
    write_file(folder / L"update.ini", ini);
    write_file(folder / L"gamedata\\a.dat", "data");
    write_file(folder / L"gamedata\\data.arc.vcdiff", archive_patch());
    write_file(folder / L"before.sha256", sha256_line(old_archive(), "data.arc"));
    write_file(folder / L"after.sha256", sha256_line(new_archive(), "./Data.arc"));
}

struct Cexpected {
    int line;
    Cseverity severity;
    std::wstring part;
    std::wstring file = std::wstring();  // empty: update.ini
};

const Cseverity W = Cseverity::warning;
const Cseverity E = Cseverity::error;

struct Ccase {
    const char* name;
    std::string lines;  // after the head
    std::function<void(const Ctemp_folder&)> change;
    std::vector<Cexpected> findings;
};

void no_change(const Ctemp_folder&) {}

std::vector<Ccase> cases()
{
    const std::string patched = patch_line;
    return {
        {"a patch as its writer makes it", patched, no_change, {}},
        {"an empty entry", patched + "#PATCH_FILE = \"\"\r\n", no_change,
         {{5, E, L"#PATCH_FILE の値が空"}}},
        {"an entry that climbs out", patched + "#PATCH_FILE = \"..\\\\system.ini\"\r\n", no_change,
         {{5, E, L"\"..\\system.ini\" は使用できないパス"}}},
        {"a path patched twice", patched + "#PATCH_FILE = \"./DATA.ARC\"\r\n", no_change,
         {{5, E, L"4 行目の #PATCH_FILE と同じ"}}},
        {"a patch also copied", "#COPY_FILE = \"data.arc.vcdiff\"\r\n" + patched, no_change,
         {{5, E, L"4 行目の #COPY_FILE \"data.arc.vcdiff\" でもコピー"}}},
        {"a patched file inside a copied folder", "#COPY_FILE = \"sub\"\r\n#PATCH_FILE = \"sub/x.arc\"\r\n",
         [](const Ctemp_folder& f) {
             write_file(f / L"gamedata\\sub\\x.arc.vcdiff", archive_patch());
             write_file(f / L"before.sha256", sha256_line(old_archive(), "sub/x.arc"));
             write_file(f / L"after.sha256", sha256_line(new_archive(), "sub/x.arc"));
             DeleteFileW((f / L"gamedata\\data.arc.vcdiff").c_str());
         },
         {{5, E, L"4 行目の #COPY_FILE \"sub\" でもコピー"}}},
        {"a patch missing", "#PATCH_FILE = \"other.arc\"\r\n", no_change,
         {{4, E, L"パッチ gamedata\\other.arc.vcdiff が見つかりません"},
          {4, E, L"\"other.arc\" は before.sha256 に記載されていない"},
          {4, E, L"\"other.arc\" は after.sha256 に記載されていない"},
          {0, W, L"gamedata\\data.arc.vcdiff はどの #PATCH_FILE にも使われず"}}},
        {"secondary compression", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"gamedata\\data.arc.vcdiff", std::string("\xD6\xC3\xC4\x00\x01\x02", 6));
         },
         {{4, E, L"二次圧縮されているため、更新プログラムは使えません (xdelta3 -e -S none で作って"}}},
        {"a code table of its own", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"gamedata\\data.arc.vcdiff", std::string("\xD6\xC3\xC4\x00\x02", 5));
         },
         {{4, E, L"独自のコードテーブルを使っているため、更新プログラムは使えません (xdelta3 -e -S none"}}},
        {"no patch at all", patched,
         [](const Ctemp_folder& f) { write_file(f / L"gamedata\\data.arc.vcdiff", "PK\x03\x04"); },
         {{4, E, L"パッチ gamedata\\data.arc.vcdiff を読み取れません"}}},
        // The file header passes; a window's header is cut: the run's plan stops there.
        {"a patch cut short", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"gamedata\\data.arc.vcdiff", archive_patch().substr(0, 9));
         },
         {{4, E, L"パッチ gamedata\\data.arc.vcdiff を読み取れません"}}},
        {"before.sha256 missing", patched,
         [](const Ctemp_folder& f) { DeleteFileW((f / L"before.sha256").c_str()); },
         {{0, E, L"before.sha256 が見つかりません (#PATCH_FILE があるため"}}},
        {"after.sha256 a folder", patched,
         [](const Ctemp_folder& f) {
             DeleteFileW((f / L"after.sha256").c_str());
             CreateDirectoryW((f / L"after.sha256").c_str(), nullptr);
         },
         {{0, E, L"after.sha256 を読み込めません", L"after.sha256"}}},
        {"a line of another form", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"before.sha256",
                        sha256_line(old_archive(), "data.arc") + "\n0123 data.arc\n");
         },
         {{3, E, L"インストール先からのパス) ではない", L"before.sha256"}}},
        {"a patched path not in after.sha256", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"after.sha256", sha256_line(new_archive(), "data.arc.bak"));
         },
         {{4, E, L"\"data.arc\" は after.sha256 に記載されていない"}}},
        {"a patch no entry uses", patched,
         [](const Ctemp_folder& f) { write_file(f / L"gamedata\\x.VCDIFF", "x"); },
         {{0, W, L"gamedata\\x.VCDIFF はどの #PATCH_FILE にも使われず"}}},
        // Its folder holds nothing else: no "folder not copied" either.
        {"a patch in a folder of its own", "#PATCH_FILE = \"movie\\\\op.mpg\"\r\n",
         [](const Ctemp_folder& f) {
             DeleteFileW((f / L"gamedata\\data.arc.vcdiff").c_str());
             write_file(f / L"gamedata\\movie\\op.mpg.vcdiff", archive_patch());
             write_file(f / L"before.sha256", sha256_line(old_archive(), "movie/op.mpg"));
             write_file(f / L"after.sha256", sha256_line(new_archive(), "movie/op.mpg"));
         },
         {}},
        {"gamedata.sha256 lists the patch", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"gamedata.sha256",
                        sha256_line("data", "a.dat") + sha256_line(archive_patch(), "data.arc.vcdiff"));
         },
         {}},
        {"gamedata.sha256 without the patch", patched,
         [](const Ctemp_folder& f) { write_file(f / L"gamedata.sha256", sha256_line("data", "a.dat")); },
         {{0, E, L"パッチ gamedata\\data.arc.vcdiff は gamedata.sha256 に記載されていない",
           L"gamedata.sha256"}}},
        {"gamedata.sha256 with a patch that differs", patched,
         [](const Ctemp_folder& f) {
             write_file(f / L"gamedata.sha256",
                        sha256_line("data", "a.dat") + sha256_line("other", "data.arc.vcdiff"));
         },
         {{2, E, L"gamedata\\data.arc.vcdiff の SHA-256 がこの行と一致しません", L"gamedata.sha256"}}},
        {"no patch and no lists", "",
         [](const Ctemp_folder& f) {
             DeleteFileW((f / L"gamedata\\data.arc.vcdiff").c_str());
             DeleteFileW((f / L"before.sha256").c_str());
             DeleteFileW((f / L"after.sha256").c_str());
         },
         {}},
    };
}

Cfolder_check check_folder(const Ctemp_folder& folder)
{
    Ccurrent_folder current(folder.path());
    return check_update_folder();
}

TEST(Patch_check, each_case_gives_its_findings)
{
    for (const Ccase& c : cases()) {
        Ctemp_folder folder;
        lay_out(folder, head + c.lines);
        c.change(folder);
        const Cfolder_check result = check_folder(folder);
        std::wstring shown;
        for (const Cfinding& finding : result.findings)
            shown += format_finding(finding) + L"\n";
        ASSERT_EQ(result.findings.size(), c.findings.size()) << c.name << "\n" << shown;
        for (std::size_t i = 0; i < c.findings.size(); ++i) {
            const Cfinding& got = result.findings[i];
            const Cexpected& want = c.findings[i];
            EXPECT_EQ(got.line, want.line) << c.name << "\n" << shown;
            EXPECT_EQ(got.severity, want.severity) << c.name << "\n" << shown;
            EXPECT_EQ(got.file, want.file) << c.name << "\n" << shown;
            EXPECT_NE(got.text.find(want.part), std::wstring::npos)
                << c.name << ": wanted " << want.part << "\n" << shown;
        }
    }
}

TEST(Patch_check, the_summary_gives_the_patches_and_the_new_files_sizes)
{
    Ctemp_folder folder;
    lay_out(folder, head + patch_line + "#PATCH_FILE = \"\"\r\n");
    write_file(folder / L"gamedata.sha256",
               sha256_line("data", "a.dat") + sha256_line(archive_patch(), "data.arc.vcdiff"));
    const Cfolder_check result = check_folder(folder);
    ASSERT_EQ(result.patches.size(), 2u);
    EXPECT_TRUE(result.patches[0].readable);
    EXPECT_EQ(result.patches[0].new_size, new_archive().size());
    EXPECT_FALSE(result.patches[1].readable);

    const std::wstring size = grouped_number(archive_patch().size());
    const std::wstring report = format_report(result, nullptr);
    EXPECT_NE(report.find(L"合計: 1 ファイル, 4 バイト\n"
                          L"パッチを当てるファイル:\n"
                          L"  data.arc: パッチ " + size + L" バイト, 新しいファイル 200,008 バイト\n"
                          L"  \"\": (エラーのため調べていません)\n"
                          L"パッチ: 1 ファイル, " + size + L" バイト (新しいファイル 200,008 バイト)\n"
                          L"照合: コピーする 1 ファイルとパッチ 1 ファイルすべてが gamedata.sha256 と一致しました。\n"),
              std::wstring::npos)
        << report;
}

TEST(Patch_check, an_update_without_patches_shows_no_patch_lines)
{
    Ctemp_folder folder;
    lay_out(folder, head);
    DeleteFileW((folder / L"gamedata\\data.arc.vcdiff").c_str());
    const std::wstring report = format_report(check_folder(folder), nullptr);
    EXPECT_EQ(report.find(L"パッチ"), std::wstring::npos) << report;
}

}  // namespace

namespace {

struct Cinstalled_case {
    const char* name;
    std::function<void(const std::wstring& install)> lay_out_installed;
    Cpatched_state state;
    const wchar_t* finding;  // a piece of the error; null: none
    bool needs_room;         // the new archive counts in the room
};

TEST(Patch_check_installation, each_installed_version_is_told)
{
    const Cinstalled_case cases[] = {
        {"the version the patch was made from",
         [](const std::wstring& i) { write_file(i + L"\\data.arc", old_archive()); },
         Cpatched_state::to_patch, nullptr, true},
        {"already the new version",
         [](const std::wstring& i) { write_file(i + L"\\data.arc", new_archive()); },
         Cpatched_state::already_new, nullptr, false},
        {"another version",
         [](const std::wstring& i) { write_file(i + L"\\data.arc", old_archive() + "x"); },
         Cpatched_state::other_version, L"このアップデートが対象とするバージョンではない", true},
        {"missing", [](const std::wstring&) {}, Cpatched_state::missing, L"がインストール先にありません",
         true},
        {"a folder in its place",
         [](const std::wstring& i) { CreateDirectoryW((i + L"\\data.arc").c_str(), nullptr); },
         Cpatched_state::missing, L"パッチを当てるファイル", true},
    };
    Ctemp_folder folder;
    lay_out(folder, head + patch_line);
    const Cfolder_check update = check_folder(folder);
    ASSERT_TRUE(update.findings.empty());
    for (const Cinstalled_case& c : cases) {
        Ctemp_folder install;
        c.lay_out_installed(install.path());
        const Cinstallation_check result =
            check_installation(update.files, update.patches, install.path());
        ASSERT_EQ(result.patched.size(), 1u) << c.name;
        EXPECT_EQ(result.patched[0].path, L"data.arc") << c.name;
        EXPECT_EQ(result.patched[0].state, c.state) << c.name;
        ASSERT_EQ(result.findings.size(), c.finding ? 1u : 0u) << c.name;
        if (c.finding) {
            EXPECT_EQ(result.findings[0].severity, Cseverity::error) << c.name;
            EXPECT_NE(result.findings[0].text.find(install.path() + L"\\data.arc"), std::wstring::npos)
                << c.name;
            EXPECT_NE(result.findings[0].text.find(c.finding), std::wstring::npos) << c.name;
        }
        if (c.needs_room)
            EXPECT_GE(result.room, new_archive().size()) << c.name;
        else
            EXPECT_LT(result.room, new_archive().size()) << c.name;
    }
}

TEST(Patch_check_installation, the_report_names_each_patched_file)
{
    Ctemp_folder folder;
    lay_out(folder, head + patch_line + "#PATCH_FILE = \"b.arc\"\r\n");
    write_file(folder / L"gamedata\\b.arc.vcdiff", archive_patch());
    write_file(folder / L"before.sha256",
               sha256_line(old_archive(), "data.arc") + sha256_line(old_archive(), "b.arc"));
    write_file(folder / L"after.sha256",
               sha256_line(new_archive(), "data.arc") + sha256_line(new_archive(), "b.arc"));
    const Cfolder_check update = check_folder(folder);
    Ctemp_folder install;
    write_file(install / L"data.arc", old_archive());
    write_file(install / L"b.arc", new_archive());
    const Cinstallation_check result = check_installation(update.files, update.patches, install.path());
    const std::wstring report = format_report(update, &result);
    EXPECT_NE(report.find(L"置き換え 0 ファイル, 新規作成 1 ファイル\n"
                          L"  パッチ適用: data.arc\n"
                          L"  適用済み: b.arc\n"
                          L"パッチ適用 1 ファイル, 適用済み 1 ファイル\n"),
              std::wstring::npos)
        << report;
}

}  // namespace
