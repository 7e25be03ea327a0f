#pragma once
// Every text the updater shows to the user, in one place. The texts are fixed
// Japanese sentences; some have a path, a name or a number joined in. A line break
// inside a message is the single character L'\n'.

#include <string>

namespace msg {

// Start-up (the only box with a caption of its own).
inline const wchar_t* const startup_caption = L"エラー";
inline const wchar_t* const riched_missing =
    L"riched32.dll の読み込みに失敗しました。アプリケーションを終了します。";

// The end of every run.
inline const wchar_t* const update_succeeded = L"アップデートは正常に終了しました。";
inline const wchar_t* const update_failed = L"アップデートに失敗しました。";
inline const wchar_t* const update_cancelled = L"アップデートを中断しました。";

// update.ini and its checks.
inline const wchar_t* const ini_missing = L"update.ini が見つかりませんでした。";
inline const wchar_t* const reg_path_missing = L"update.ini にレジストリ名が指定されていません。";
inline const wchar_t* const game_title_missing = L"update.ini にゲーム名が指定されていません。";
inline const wchar_t* const copy_entry_empty_format =  // %d: position of the entry
    L"update.ini の %d 個目の COPY_FILE が指定されていません。";
inline const wchar_t* const copy_entry_unsafe_format =  // %d: position of the entry
    L"update.ini の %d 個目の COPY_FILE に使用できないパスが指定されています。";

inline std::wstring source_folder_missing(const std::wstring& folder_name)
{
    return L"コピー元の " + folder_name + L" フォルダが見つかりません。";
}
inline std::wstring source_file_missing(const std::wstring& source_path)
{
    return L"コピー元のファイル " + source_path + L" が見つかりません。";
}

// gamedata.sha256, the digests of the update data, when it is given.
inline const wchar_t* const digest_list_unreadable = L"gamedata.sha256 を読み込めませんでした。";
inline std::wstring digest_line_unreadable(int line)
{
    return L"gamedata.sha256 の " + std::to_wstring(line) + L" 行目を読み取れません。";
}
inline std::wstring source_not_in_digest_list(const std::wstring& source_path)
{
    return L"コピー元のファイル " + source_path + L" は gamedata.sha256 に記載されていません。";
}
inline std::wstring source_damaged(const std::wstring& source_path)
{
    return L"コピー元のファイル " + source_path +
           L" が壊れています。\nアップデートのデータをもう一度入手してください。";
}

// Binary patches (#PATCH_FILE), their lists before.sha256 and after.sha256, checked
// with update.ini.
inline const wchar_t* const patch_entry_empty_format =  // %d: position of the entry
    L"update.ini の %d 個目の PATCH_FILE が指定されていません。";
inline const wchar_t* const patch_entry_unsafe_format =  // %d: position of the entry
    L"update.ini の %d 個目の PATCH_FILE に使用できないパスが指定されています。";
inline std::wstring patch_entry_twice(const std::wstring& entry)
{
    return L"update.ini の PATCH_FILE に " + entry + L" が二度指定されています。";
}
inline std::wstring patch_entry_also_copied(const std::wstring& entry)
{
    return L"update.ini で " + entry + L" は PATCH_FILE と COPY_FILE の両方に指定されています。";
}
inline std::wstring patch_unreadable(const std::wstring& patch_path)
{
    return L"パッチファイル " + patch_path + L" を読み取れません。";
}
inline std::wstring patch_compressed(const std::wstring& patch_path)
{
    return L"パッチファイル " + patch_path +
           L" は二次圧縮されているため使用できません。\nxdelta3 -e -S none で作成してください。";
}
inline std::wstring patch_code_table(const std::wstring& patch_path)
{
    return L"パッチファイル " + patch_path +
           L" は独自のコードテーブルを使用しているため使用できません。\nxdelta3 -e -S none で作成してください。";
}
inline std::wstring patch_list_missing(const std::wstring& list_name)
{
    return list_name + L" が見つかりませんでした。";
}
inline std::wstring patch_list_unreadable(const std::wstring& list_name)
{
    return list_name + L" を読み込めませんでした。";
}
inline std::wstring patch_list_line_unreadable(const std::wstring& list_name, int line)
{
    return list_name + L" の " + std::to_wstring(line) + L" 行目を読み取れません。";
}
inline std::wstring patched_file_not_in_list(const std::wstring& entry, const std::wstring& list_name)
{
    return L"パッチを当てるファイル " + entry + L" は " + list_name + L" に記載されていません。";
}

// The installation record in the registry.
inline std::wstring registry_key_missing(const std::wstring& game_title)
{
    return L"レジストリキーが見つかりませんでした。\n「" + game_title +
           L"」がセットアップされていることを確認してください。";
}
inline std::wstring registry_value_missing(const std::wstring& value_name)
{
    return L"レジストリに [" + value_name + L"] が見つかりませんでした。";
}

// The destination and the one question.
inline std::wstring destination_missing(const std::wstring& dest_dir)
{
    return L"コピー先のフォルダ " + dest_dir +
           L" が見つかりません。\nゲームが正しくセットアップされていることを確認してください。";
}
inline const wchar_t* const engine_missing =
    L"VellocEngine.exe が見つかりませんでした。\nゲームが正しくセットアップされていることを確認してください。";
inline const wchar_t* const setup_not_full =
    L"セットアップ情報が取得できませんでした。\n最小セットアップではアップデートを行うことはできません。";
inline std::wstring confirm_overwrite(const std::wstring& dest_dir)
{
    return L"セットアップ先 = " + dest_dir +
           L"\n\nこの場所にアップデートデータを上書きします。よろしいですか？";
}

// The copy.
inline const wchar_t* const dialog_title_suffix = L" アップデート";
inline std::wstring source_open_failed(const std::wstring& source_path)
{
    return L"コピー元の " + source_path + L" が開けませんでした。";
}
inline std::wstring source_read_failed(const std::wstring& source_path)
{
    return L"コピー元の " + source_path + L" が読み込めませんでした。";
}
inline std::wstring destination_open_failed(const std::wstring& dest_path)
{
    return dest_path + L"が開けませんでした。";
}
inline std::wstring destination_write_failed(const std::wstring& dest_path)
{
    return dest_path + L"への書き込みに失敗しました。";
}

// Before the first byte of the installation changes.
inline std::wstring patched_file_missing(const std::wstring& dest_path)
{
    return L"パッチを当てるファイル " + dest_path +
           L" が見つかりません。\nゲームが正しくセットアップされていることを確認してください。";
}
inline std::wstring patched_file_other_version(const std::wstring& dest_path)
{
    return dest_path +
           L" は、このアップデートが対象とするバージョンではありません。\n"
           L"ゲームが正しくセットアップされていることを確認してください。";
}
inline std::wstring destination_in_use(const std::wstring& dest_path)
{
    return dest_path + L" は他のプログラムで使用中のため、上書きできません。\n"
                       L"ゲームを終了してから、もう一度アップデートを実行してください。";
}
inline std::wstring not_enough_room(unsigned long long needed_mb, unsigned long long free_mb)
{
    return L"アップデートに必要なディスクの空き容量が足りません。\n必要な空き容量: " +
           std::to_wstring(needed_mb) + L" MB\n現在の空き容量: " + std::to_wstring(free_mb) + L" MB";
}
inline std::wstring folder_unreadable(const std::wstring& folder_path)
{
    return folder_path + L" の内容を読み込めませんでした。";
}

// The next run, before its question: a run that was cut off cannot be undone.
inline std::wstring cut_off_run_not_undone(const std::wstring& record_path)
{
    return record_path + L" に記録された前回のアップデートを元に戻せませんでした。";
}

// Any step that runs out of memory (or meets any other unexpected exception).
inline const wchar_t* const out_of_memory =
    L"メモリが不足しているため、アップデートを続行できません。";

}  // namespace msg
