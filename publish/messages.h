#pragma once
// Every text make-update prints, in one place. A finding names the file or folder
// it concerns in the form compilers use ("new\data\a.arc: warning: TEXT"); the
// words "error" and "warning" stay as compilers write them. Texts it shares with
// update-check (counts, units) come from check/messages.h.

#include <cstddef>
#include <string>

#include "check/messages.h"

namespace make_msg {

using check_msg::quoted;

// The command line.
inline const wchar_t* const usage =
    L"使い方: make-update 旧版フォルダ 新版フォルダ 出力フォルダ --reg-path \"メーカー名\\ゲーム名\" "
    L"--title \"ゲーム名\" [--updater updater.exe のパス] [--whole]\n"
    L"  旧版と新版をファイルごとに比べ、新しいファイルと変わったファイルを出力フォルダの gamedata に入れ、"
    L"update.ini、gamedata.sha256、before.sha256、after.sha256、updater.exe を置きます。"
    L"変わったファイルのうち 64 KiB 以上のものは、パッチ (.vcdiff) が新しいファイルの 80 % より小さければ"
    L"パッチで入れます。\n"
    L"  --reg-path: HKEY_LOCAL_MACHINE\\Software の下のキー (レベルの間に \\ を 1 つ)。\n"
    L"  --title: ゲーム名 (メッセージボックスのタイトル)。\n"
    L"  --updater: 置く updater.exe (省略時は make-update.exe と同じフォルダのもの)。\n"
    L"  --whole: パッチを作らず、すべてのファイルをそのまま入れます。\n"
    L"  終了コード: 0 = 問題なし, 1 = 警告のみ, 2 = エラーあり";
inline std::wstring value_missing(const std::wstring& option)
{
    return option + L" のあとに値を指定してください。";
}
inline std::wstring option_missing(const std::wstring& option)
{
    return option + L" を指定してください。";
}
inline std::wstring option_repeated(const std::wstring& option)
{
    return option + L" は 1 回だけ指定してください。";
}
inline const wchar_t* const folder_count = L"旧版、新版、出力の 3 つのフォルダを指定してください。";
inline std::wstring value_empty(const std::wstring& option)
{
    return option + L" の値が空です。";
}
inline std::wstring reg_path_empty_level(const std::wstring& value)
{
    return L"--reg-path の値 " + quoted(value) +
           L" に空のレベルがあります (レベルの間の \\ は 1 つだけ書き、先頭と末尾には書かないでください)。";
}
inline std::wstring value_not_in_code_page(const std::wstring& option, const std::wstring& value)
{
    return option + L" の値 " + quoted(value) +
           L" にはコードページ 932 で表せない文字があるため、update.ini に書けません。";
}

// Errors about the folders: nothing is written.
inline const wchar_t* const folder_missing = L"フォルダが見つかりません。";
inline const wchar_t* const out_not_empty =
    L"出力フォルダが空ではありません (まだないフォルダか、空のフォルダを指定してください)。";
inline const wchar_t* const out_is_file = L"出力フォルダの場所にファイルがあります。";
inline const wchar_t* const out_inside_release = L"出力フォルダが旧版か新版のフォルダの中にあります。";
inline const wchar_t* const updater_missing =
    L"updater.exe が見つかりません (--updater でパスを指定してください)。";
inline const wchar_t* const nothing_to_update =
    L"旧版と違うファイルがないため、アップデートするものがありません。";

// Findings of the comparison.
inline std::wstring top_level_not_in_code_page(const std::wstring& name)
{
    return L"名前 " + quoted(name) +
           L" にはコードページ 932 で表せない文字があるため、update.ini に書けません "
           L"(gamedata の直下の名前は #COPY_FILE に書かれます)。";
}
inline std::wstring entry_not_in_code_page(const std::wstring& name)
{
    return L"名前 " + quoted(name) +
           L" にはコードページ 932 で表せない文字があるため、update.ini に書けません "
           L"(パッチのあるフォルダの中は、ファイルやフォルダごとに #COPY_FILE に書かれます)。";
}
inline const wchar_t* const removed_file =
    L"新版にないファイルです。更新プログラムはファイルを削除しないため、プレイヤーのインストール先に残ります。";
inline std::wstring removed_folder(std::size_t files)
{
    return L"新版にないフォルダです (" + std::to_wstring(files) +
           L" ファイル)。更新プログラムはファイルを削除しないため、プレイヤーのインストール先に残ります。";
}
inline const wchar_t* const empty_folder =
    L"新しい空のフォルダです。更新プログラムは空のフォルダを作らないため、プレイヤーのインストール先には作られません。";
inline std::wstring case_renamed(const std::wstring& old_path)
{
    return L"旧版の " + quoted(old_path) +
           L" と大文字・小文字だけが違う名前です。更新プログラムはインストール先にある名前を変えないため、"
           L"プレイヤーの環境では " + quoted(old_path) + L" のままです。";
}
inline const wchar_t* const file_became_folder =
    L"旧版ではファイルだった名前がフォルダになっています。更新プログラムはファイルをフォルダに置き換えられないため、"
    L"プレイヤーの環境ではアップデートが失敗します。";
inline const wchar_t* const folder_became_file =
    L"旧版ではフォルダだった名前がファイルになっています。更新プログラムはフォルダをファイルに置き換えられないため、"
    L"プレイヤーの環境ではアップデートが失敗します。";
inline const wchar_t* const folder_unreadable =
    L"フォルダの内容を読み込めません (読み取れないフォルダかリンクです)。";
inline const wchar_t* const file_unreadable = L"ファイルを読み込めません。";
inline const wchar_t* const write_failed = L"書き込めませんでした。";
inline const wchar_t* const check_failed = L"出力フォルダを調べられませんでした。";

// The first line of update.ini (after "// ").
inline std::wstring ini_comment(const std::wstring& version, std::size_t changed,
                                std::size_t added, std::size_t unchanged, std::size_t removed)
{
    return L"make-update " + version + L" で作成 (変更 " + std::to_wstring(changed) + L", 新規 " +
           std::to_wstring(added) + L", 変更なし " + std::to_wstring(unchanged) + L", 削除 " +
           std::to_wstring(removed) + L" ファイル)";
}

// The summary.
inline const wchar_t* const changed_label = L"変更: ";
inline const wchar_t* const added_label = L"新規: ";
inline const wchar_t* const unchanged_label = L"変更なし: ";
inline const wchar_t* const removed_label = L"削除: ";
inline const wchar_t* const files_unit = L" ファイル";
inline const wchar_t* const gamedata_label = L"gamedata: ";
inline std::wstring check_label(const std::wstring& out_dir)
{
    return L"update-check " + out_dir + L": ";
}
inline const wchar_t* const patch_label = L"パッチ: ";
// One patched file, after its path as typed.
inline std::wstring patched_file(const std::wstring& patch_size, const std::wstring& new_size)
{
    return L": パッチ " + patch_size + L" バイト (新しいファイル " + new_size + L" バイト)";
}
// The patches' total, after the count of files.
inline std::wstring patches_total(const std::wstring& patch_bytes, const std::wstring& new_bytes)
{
    return L", " + patch_bytes + L" バイト (新しいファイル " + new_bytes + L" バイト)";
}
inline const wchar_t* const out_removed = L"エラーがあるため、出力フォルダには何も書き込んでいません。";

}  // namespace make_msg
