#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "session/messages.h"
#include "session/update_info.h"
#include "install/registry.h"
#include "support/recording_boxes.h"

namespace {

using Cnames = std::vector<std::wstring>;

// Where a 32-bit setup writes; the 64-bit test build must say so.
#ifdef _WIN64
const REGSAM view_32 = KEY_WOW64_32KEY;
#else
const REGSAM view_32 = 0;
#endif

// A key of its own below HKLM\Software, removed with everything below it at the end.
class Ctest_key {
public:
    explicit Ctest_key(REGSAM view = view_32) : view_(view)
    {
        static unsigned counter = 0;
        name_ = L"UpdaterTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        game_ = create(name_ + L"\\Game");
    }
    ~Ctest_key()
    {
        RegCloseKey(game_);
        HKEY software = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view_, &software) ==
            ERROR_SUCCESS) {
            RegDeleteTreeW(software, name_.c_str());
            RegCloseKey(software);
        }
    }
    Ctest_key(const Ctest_key&) = delete;
    Ctest_key& operator=(const Ctest_key&) = delete;

    // The #REG_PATH that leads to the key: two levels.
    std::wstring reg_path() const { return name_ + L"\\Game"; }

    void set(const std::wstring& name, DWORD type, const void* data, DWORD bytes)
    {
        ASSERT_EQ(RegSetValueExW(game_, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
    void set_string(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ)
    {
        set(name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void set_record()
    {
        set_string(L"exe_dir", L"C:\\Games\\ゲーム");
        set_string(L"dat_dir", L"C:\\Games\\ゲーム\\data");
        set_string(L"dat_setup", L"full");
    }

private:
    HKEY create(const std::wstring& path)
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\" + path).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | view_, nullptr, &key, nullptr);
        return key;
    }

    REGSAM view_;
    std::wstring name_;
    HKEY game_ = nullptr;
};

class Registry : public testing::Test {
protected:
    void SetUp() override
    {
        update_info = Cupdate_info();
        update_info.reg_path = key.reg_path();
        update_info.game_title = L"ベロック物語";
    }
    void TearDown() override { update_info = Cupdate_info(); }

    // The text that read_registry_string takes from a value (failure: "(failed)").
    std::wstring value_text(const std::wstring& name)
    {
        HKEY game = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\" + key.reg_path()).c_str(), 0,
                          KEY_READ | view_32, &game) != ERROR_SUCCESS)
            return L"(no key)";
        std::wstring text = L"(failed)";
        std::wstring value = L"(unchanged)";
        if (read_registry_string(game, name, value))
            text = value;
        else
            EXPECT_EQ(value, L"(unchanged)");
        RegCloseKey(game);
        return text;
    }

    Ctest_key key;
};

TEST_F(Registry, reads_the_three_values_below_a_two_level_path)
{
    key.set_record();
    Crecording_boxes boxes;
    EXPECT_TRUE(read_install_record());
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(update_info.exe_dir, L"C:\\Games\\ゲーム");
    EXPECT_EQ(update_info.dat_dir, L"C:\\Games\\ゲーム\\data");
    EXPECT_EQ(update_info.dat_setup, L"full");
}

TEST_F(Registry, missing_key_names_the_game_title)
{
    update_info.reg_path = key.reg_path() + L"\\Missing";
    update_info.exe_dir = L"before";
    Crecording_boxes boxes;
    EXPECT_FALSE(read_install_record());
    EXPECT_EQ(boxes.texts(),
              (Cnames{L"レジストリキーが見つかりませんでした。\n「ベロック物語」がセットアップされていることを確認してください。",
                      msg::update_failed}));
    EXPECT_EQ(boxes.shown()[0].caption, L"ベロック物語");
    EXPECT_EQ(boxes.shown()[0].style, UINT(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(update_info.exe_dir, L"before");
}

TEST_F(Registry, a_key_in_the_64_bit_view_only_is_not_the_setup_record)
{
#ifdef _WIN64
    Ctest_key native(0);
    native.set_record();
    update_info.reg_path = native.reg_path();
    Crecording_boxes boxes;
    EXPECT_FALSE(read_install_record());
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, msg::registry_key_missing(L"ベロック物語"));
#else
    GTEST_SKIP() << "a 32-bit build sees the 32-bit view only";
#endif
}

TEST_F(Registry, stops_at_the_first_missing_value_keeping_what_was_read)
{
    const std::wstring names[] = {L"exe_dir", L"dat_dir", L"dat_setup"};
    for (const std::wstring& missing : names) {
        key.set_record();
        HKEY game = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\" + key.reg_path()).c_str(), 0,
                      KEY_SET_VALUE | view_32, &game);
        RegDeleteValueW(game, missing.c_str());
        RegCloseKey(game);
        update_info.exe_dir = update_info.dat_dir = update_info.dat_setup = L"before";

        Crecording_boxes boxes;
        EXPECT_FALSE(read_install_record()) << missing;
        EXPECT_EQ(boxes.texts(), (Cnames{L"レジストリに [" + missing + L"] が見つかりませんでした。",
                                         msg::update_failed}));
        const bool exe_read = missing != L"exe_dir";
        const bool dat_read = exe_read && missing != L"dat_dir";
        EXPECT_EQ(update_info.exe_dir, exe_read ? L"C:\\Games\\ゲーム" : L"before") << missing;
        EXPECT_EQ(update_info.dat_dir, dat_read ? L"C:\\Games\\ゲーム\\data" : L"before") << missing;
        EXPECT_EQ(update_info.dat_setup, L"before") << missing;
    }
}

TEST_F(Registry, value_data_taken_as_text)
{
    const std::wstring longest(519, L'x');
    key.set_string(L"longest", longest);
    key.set_string(L"too_long", longest + L"y");
    key.set_string(L"empty", L"");
    key.set_string(L"expand", L"%TEMP%\\x", REG_EXPAND_SZ);
    key.set_string(L"inner_null", std::wstring(L"ab\0cd", 5));
    key.set(L"unterminated", REG_SZ, L"abc", 6);
    const DWORD number = 0x00420041;  // "AB" as UTF-16
    key.set(L"number", REG_DWORD, &number, sizeof number);
    key.set(L"odd", REG_BINARY, "a\0b\0c", 5);  // the last byte is half a code unit

    Crecording_boxes boxes;
    EXPECT_EQ(value_text(L"longest"), longest);
    EXPECT_EQ(value_text(L"empty"), L"");
    EXPECT_EQ(value_text(L"expand"), L"%TEMP%\\x");
    EXPECT_EQ(value_text(L"inner_null"), L"ab");
    EXPECT_EQ(value_text(L"unterminated"), L"abc");
    EXPECT_EQ(value_text(L"number"), L"AB");
    EXPECT_EQ(value_text(L"odd"), L"ab");
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(value_text(L"too_long"), L"(failed)");
    EXPECT_EQ(boxes.texts(), (Cnames{msg::registry_value_missing(L"too_long"), msg::update_failed}));
}

}  // namespace
