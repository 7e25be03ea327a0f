#pragma once
// Every text the publisher's check prints, in one place. The findings are
// Japanese sentences with the value, name or number they concern joined in; the
// words "update.ini", "error" and "warning" of a finding's prefix stay as
// compilers write them, so that editors and build logs recognise the lines.

#include <string>

namespace check_msg {

inline std::wstring quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

// The command line and the folders it names.
inline const wchar_t* const usage =
    L"使い方: update-check [フォルダ] [--against インストール先フォルダ]\n"
    L"  フォルダ (省略時は現在のフォルダ) の update.ini、gamedata.sha256 (あれば)、before.sha256 と after.sha256 (パッチがあれば) と gamedata を、更新プログラムと同じように読んで調べます。\n"
    L"  --against: そのインストール先で置き換わるファイル、新しく作られるファイル、パッチを当てるファイルの状態、必要な空き容量を示します。\n"
    L"  終了コード: 0 = 問題なし, 1 = 警告のみ, 2 = エラーあり";
inline std::wstring unknown_option(const std::wstring& option)
{
    return L"不明なオプション " + option + L" です。";
}
inline const wchar_t* const against_without_folder = L"--against のあとにインストール先フォルダを指定してください。";
inline const wchar_t* const too_many_folders = L"調べるフォルダは 1 つだけ指定してください。";
inline std::wstring folder_missing(const std::wstring& folder)
{
    return L"フォルダ " + folder + L" が見つかりません。";
}
inline const wchar_t* const out_of_memory = L"メモリが足りないため、調べ終えられませんでした。";
inline const wchar_t* const unexpected_failure = L"予期しないエラーのため、調べ終えられませんでした。";
inline std::wstring install_folder_missing(const std::wstring& folder)
{
    return L"インストール先フォルダ " + folder + L" が見つかりません。";
}

// Errors: the updater would refuse the update.
inline const wchar_t* const ini_missing = L"update.ini が見つかりません。";
inline const wchar_t* const reg_path_missing =
    L"#REG_PATH が指定されていません (レジストリ名がないため、アップデートは中止されます)。";
inline const wchar_t* const reg_path_empty =
    L"#REG_PATH の値が空です (レジストリ名がないため、アップデートは中止されます)。";
inline const wchar_t* const game_title_missing =
    L"#GAME_TITLE が指定されていません (ゲーム名がないため、アップデートは中止されます)。";
inline const wchar_t* const game_title_empty =
    L"#GAME_TITLE の値が空です (ゲーム名がないため、アップデートは中止されます)。";
inline const wchar_t* const source_folder_missing = L"gamedata フォルダが見つかりません。";
inline const wchar_t* const entry_empty = L"#COPY_FILE の値が空です。";
inline std::wstring entry_unsafe(const std::wstring& entry)
{
    return quoted(entry) +
           L" は使用できないパスです (..、先頭の \\ や /、: を含むパスは gamedata の外を指します)。";
}
inline std::wstring entry_names_source_folder(const std::wstring& entry)
{
    return quoted(entry) +
           L" は使用できないパスです (. と空白だけのパスは gamedata フォルダそのものを指します)。";
}
inline std::wstring entry_missing(const std::wstring& source_path)
{
    return L"コピー元 " + source_path + L" が見つかりません。";
}
inline std::wstring entry_found_only_by_system_rules(const std::wstring& path)
{
    return L"コピー元 " + path +
           L" は名前の規則 (末尾の . や空白、短い名前、英字以外の大文字・小文字) でしか見つからないため、"
           L"コピーされません (gamedata にある名前のとおりに書いてください)。";
}
inline std::wstring folder_unreadable(const std::wstring& folder)
{
    return L"フォルダ " + folder + L" の内容を読み込めません (読み取れないフォルダかリンクです)。";
}
inline std::wstring folder_link(const std::wstring& folder)
{
    return L"フォルダ " + folder +
           L" はリンク (ジャンクションかシンボリックリンク) です。更新プログラムはリンクをたどらないため、アップデートは中止されます。";
}
inline std::wstring destination_is_folder(const std::wstring& path)
{
    return L"インストール先の " + path +
           L" はフォルダのため、ファイルで置き換えられません (アップデートは中止されます)。";
}
inline std::wstring destination_below_file(const std::wstring& path, const std::wstring& file)
{
    return L"インストール先の " + file + L" はファイルのため、" + path +
           L" を作れません (アップデートは中止されます)。";
}

// Errors: #PATCH_FILE entries, their patches and before.sha256 / after.sha256, as
// the updater checks them with update.ini.
inline const wchar_t* const patch_entry_empty = L"#PATCH_FILE の値が空です。";
inline std::wstring patch_entry_unsafe(const std::wstring& entry)
{
    return quoted(entry) +
           L" は使用できないパスです (..、先頭の \\ や /、: を含むパスはインストール先の外を、"
           L". と空白だけのパスはインストール先そのものを指します)。";
}
inline std::wstring patch_entry_twice(const std::wstring& entry, int first_line)
{
    return quoted(entry) + L" は " + std::to_wstring(first_line) +
           L" 行目の #PATCH_FILE と同じファイルです (1 つのファイルに 2 回パッチは当てられないため、"
           L"更新プログラムはアップデートを中止します)。";
}
inline std::wstring patch_entry_also_copied(const std::wstring& entry, const std::wstring& copy_entry,
                                            int copy_line)
{
    return quoted(entry) + L" は " + std::to_wstring(copy_line) + L" 行目の #COPY_FILE " +
           quoted(copy_entry) +
           L" でもコピーされます (パッチを当てるファイルとそのパッチはコピーできないため、"
           L"更新プログラムはアップデートを中止します)。";
}
inline std::wstring patch_missing(const std::wstring& patch_path)
{
    return L"パッチ " + patch_path + L" が見つかりません。";
}
inline std::wstring patch_unreadable(const std::wstring& patch_path)
{
    return L"パッチ " + patch_path +
           L" を読み取れません (VCDIFF ではないか、途中で切れているか、更新プログラムの知らない形式です)。";
}
inline std::wstring patch_compressed(const std::wstring& patch_path)
{
    return L"パッチ " + patch_path +
           L" は二次圧縮されているため、更新プログラムは使えません (xdelta3 -e -S none で作ってください)。";
}
inline std::wstring patch_code_table(const std::wstring& patch_path)
{
    return L"パッチ " + patch_path +
           L" は独自のコードテーブルを使っているため、更新プログラムは使えません (xdelta3 -e -S none で作ってください)。";
}
inline std::wstring patch_list_missing(const std::wstring& list_name)
{
    return list_name + L" が見つかりません (#PATCH_FILE があるため、更新プログラムはアップデートを中止します)。";
}
inline std::wstring patch_list_unreadable(const std::wstring& list_name)
{
    return list_name + L" を読み込めません (更新プログラムはアップデートを中止します)。";
}
inline const wchar_t* const patch_list_line_malformed =
    L"sha256sum の形式 (16 進数 64 桁、空白、空白か *、インストール先からのパス) ではないため、"
    L"更新プログラムはアップデートを中止します。";
inline std::wstring patched_not_listed(const std::wstring& entry, const std::wstring& list_name)
{
    return quoted(entry) + L" は " + list_name +
           L" に記載されていないため、更新プログラムはアップデートを中止します。";
}
inline std::wstring patched_file_missing(const std::wstring& dest_path)
{
    return L"パッチを当てるファイル " + dest_path +
           L" がインストール先にありません (更新プログラムはアップデートを中止します)。";
}
inline std::wstring patched_file_other_version(const std::wstring& dest_path)
{
    return dest_path +
           L" は before.sha256 とも after.sha256 とも一致しません。このアップデートが対象とするバージョンではないため、"
           L"更新プログラムはアップデートを中止します。";
}
inline std::wstring patched_file_unreadable(const std::wstring& dest_path)
{
    return dest_path +
           L" を読み込めないため、どのバージョンか調べられません (更新プログラムはアップデートを中止します)。";
}

// Warnings: lines that look like key lines but are ignored.
inline const wchar_t* const line_indented = L"行頭に空白があるため、この行は読まれません。";
inline std::wstring key_without_hash(const std::wstring& key)
{
    return L"先頭に # がないため、この行は読まれません (" + key + L" と書いてください)。";
}
inline std::wstring key_case(const std::wstring& written, const std::wstring& key)
{
    return L"キー " + written + L" は大文字・小文字が違うため、この行は読まれません (" + key +
           L" と書いてください)。";
}
inline std::wstring key_name_too_long(const std::wstring& start, std::size_t length)
{
    return L"名前 " + start + L"… は " + std::to_wstring(length) +
           L" 文字あり、どのキーでもないため、この行は読まれません。";
}
inline std::wstring key_unknown(const std::wstring& written, const std::wstring& key)
{
    return L"不明なキー " + written + L" の行は読まれません (" + key + L" の誤りではありませんか)。";
}
inline const wchar_t* const equals_missing = L"= がないため、この行は読まれません。";
inline const wchar_t* const value_not_quoted = L"値が \" で囲まれていないため、この行は読まれません。";
inline const wchar_t* const closing_quote_missing = L"値を閉じる \" がないため、この行は読まれません。";
inline const wchar_t* const closing_quote_escaped =
    L"値を閉じる \" がないため、この行は読まれません (最後の \\\" は \\ のために文字の \" として読まれます。\\ は \\\\ と書いてください)。";

// Warnings: values the updater reads otherwise than written, or more than once.
inline std::wstring lone_backslash(const std::wstring& value)
{
    return L"単独の \\ は読み捨てられるため、値は " + quoted(value) +
           L" と読まれます (\\ は \\\\ と書いてください)。";
}
inline std::wstring key_repeated(const std::wstring& key, int winning_line,
                                 const std::wstring& winning_value)
{
    const std::wstring line = std::to_wstring(winning_line);
    return key + L" が複数あります。最後の " + line + L" 行目の値 " + quoted(winning_value) +
           L" が使われ、この行の値は使われません。";
}
inline std::wstring entry_repeated(const std::wstring& entry, int first_line)
{
    return quoted(entry) + L" は " + std::to_wstring(first_line) +
           L" 行目と同じ項目です (2 回コピーされます)。";
}
inline std::wstring text_after_end_byte(int end_byte)
{
    return std::wstring(end_byte == 0 ? L"0x00" : L"0x1A") +
           L" のバイトより後ろは読まれません。";
}

// Warnings: how the file is saved.
inline std::wstring lone_lead_byte(unsigned char byte)
{
    const wchar_t* const digits = L"0123456789ABCDEF";
    const std::wstring hex = {digits[byte >> 4], digits[byte & 0xF]};
    return L"行末のバイト 0x" + hex +
           L" は 2 バイト文字の 1 バイト目だけで、続くバイトがありません (別の文字コードで書かれた文字ではありませんか)。この文字は正しく読まれません。";
}
inline const wchar_t* const utf8_byte_order_mark =
    L"UTF-8 の BOM があるため、1 行目は読まれません (Shift_JIS で保存してください)。";
inline std::wstring utf8_text(unsigned code_page, const std::wstring& line_as_read)
{
    return L"UTF-8 で保存されているようです。更新プログラムはコードページ " +
           std::to_wstring(code_page) + L" で読むため、この行は " + quoted(line_as_read) +
           L" と読まれます (Shift_JIS で保存してください)。";
}
inline const wchar_t* const utf16_text =
    L"UTF-16 で保存されているため、何も読まれません (Shift_JIS で保存してください)。";

// Warnings: entries and what lies under gamedata.
inline std::wstring entry_wildcard(const std::wstring& entry)
{
    return quoted(entry) +
           L" にワイルドカード文字 (* ?) があります。項目は名前のとおりに探されるため、一致するファイルはコピーされません。";
}
inline std::wstring entry_copies_nothing(const std::wstring& entry)
{
    return quoted(entry) + L" はファイルのないフォルダです。何もコピーされません。";
}
inline std::wstring not_copied(const std::wstring& source_path)
{
    return source_path + L" はどの #COPY_FILE にも含まれないため、コピーされません。";
}
inline std::wstring folder_not_copied(const std::wstring& source_path, std::size_t files)
{
    return source_path + L"\\ (" + std::to_wstring(files) +
           L" ファイル) はどの #COPY_FILE にも含まれないため、コピーされません。";
}
inline std::wstring link_not_followed(const std::wstring& source_path)
{
    return L"フォルダ " + source_path +
           L"\\ はリンク (ジャンクションかシンボリックリンク) です。更新プログラムはリンクをたどらないため、中のファイルはコピーされません。";
}
inline std::wstring folder_not_searched(const std::wstring& source_path)
{
    return L"フォルダ " + source_path +
           L"\\ の内容を読み込めないため、中にコピーされないファイルがあるかどうか調べられません。";
}
inline std::wstring empty_folder_not_made(const std::wstring& source_path)
{
    return L"空のフォルダ " + source_path + L"\\ は作られません。";
}
inline std::wstring patch_not_used(const std::wstring& source_path)
{
    return source_path + L" はどの #PATCH_FILE にも使われず、どの #COPY_FILE にも含まれないため、使われません。";
}
inline std::wstring path_too_long(const std::wstring& path, std::size_t length)
{
    return L"コピー先の相対パスが 200 文字を超えています (" + std::to_wstring(length) + L" 文字: " +
           path + L")。通常のインストール先では 260 文字を超えます。";
}

// gamedata.sha256: errors stop the update as the updater checks the list; warnings
// are lines that check nothing.
inline const wchar_t* const digest_list_unreadable =
    L"gamedata.sha256 を読み込めません (更新プログラムはアップデートを中止します)。";
inline const wchar_t* const digest_line_malformed =
    L"sha256sum の形式 (16 進数 64 桁、空白、空白か *、gamedata からのパス) ではないため、"
    L"更新プログラムはアップデートを中止します。";
inline std::wstring digest_differs(const std::wstring& source_path, const std::wstring& actual)
{
    return source_path + L" の SHA-256 がこの行と一致しません (ファイルの値は " + actual +
           L")。更新プログラムは壊れたデータとしてアップデートを中止します。";
}
inline std::wstring digest_not_listed(const std::wstring& source_path)
{
    return source_path +
           L" はコピーされますが gamedata.sha256 に記載されていないため、更新プログラムはアップデートを中止します。";
}
inline std::wstring digest_patch_not_listed(const std::wstring& source_path)
{
    return L"パッチ " + source_path +
           L" は gamedata.sha256 に記載されていないため、更新プログラムはアップデートを中止します。";
}
inline std::wstring digest_source_unreadable(const std::wstring& source_path)
{
    return L"コピー元 " + source_path + L" を読み込めないため、SHA-256 を調べられません。";
}
inline std::wstring digest_listed_not_copied(const std::wstring& source_path)
{
    return source_path + L" はどの #COPY_FILE にも含まれないため、この行は照合に使われません。";
}
inline std::wstring digest_listed_missing(const std::wstring& source_path)
{
    return source_path + L" というファイルはないため、この行は照合に使われません。";
}

// The summary.
inline const wchar_t* const title_label = L"ゲーム名: ";
inline const wchar_t* const registry_label = L"レジストリ: ";
inline const wchar_t* const registry_root = L"HKEY_LOCAL_MACHINE\\Software\\";
inline const wchar_t* const entries_label = L"コピーする項目:";
inline const wchar_t* const folder_mark = L"\\";
inline const wchar_t* const files_unit = L" ファイル, ";
inline const wchar_t* const bytes_unit = L" バイト";
inline const wchar_t* const entry_not_listed = L"(エラーのため調べていません)";
inline const wchar_t* const total_label = L"合計: ";
inline const wchar_t* const not_given = L"(なし)";
inline const wchar_t* const install_label = L"インストール先: ";
inline const wchar_t* const replaced_label = L"  置き換え: ";
inline const wchar_t* const created_label = L"  新規作成: ";
inline std::wstring replaced_and_created(std::size_t replaced, std::size_t created)
{
    return L"置き換え " + std::to_wstring(replaced) + L" ファイル, 新規作成 " +
           std::to_wstring(created) + L" ファイル";
}
inline const wchar_t* const patches_label = L"パッチを当てるファイル:";
inline std::wstring patch_and_new_file(const std::wstring& patch_bytes, const std::wstring& new_bytes)
{
    return L"パッチ " + patch_bytes + L" バイト, 新しいファイル " + new_bytes + L" バイト";
}
inline std::wstring patches_total(const std::wstring& files, const std::wstring& patch_bytes,
                                  const std::wstring& new_bytes)
{
    return L"パッチ: " + files + L" ファイル, " + patch_bytes + L" バイト (新しいファイル " + new_bytes +
           L" バイト)";
}
inline const wchar_t* const to_patch_label = L"  パッチ適用: ";
inline const wchar_t* const already_new_label = L"  適用済み: ";
inline const wchar_t* const other_version_label = L"  対象外のバージョン: ";
inline const wchar_t* const patched_missing_label = L"  見つかりません: ";
inline const wchar_t* const patched_unreadable_label = L"  読み込めません: ";
inline std::wstring patched_and_already_new(std::size_t patched, std::size_t already_new)
{
    return L"パッチ適用 " + std::to_wstring(patched) + L" ファイル, 適用済み " +
           std::to_wstring(already_new) + L" ファイル";
}
inline const wchar_t* const room_label = L"必要な空き容量: ";
inline const wchar_t* const free_label = L"空き容量: ";
inline const wchar_t* const megabytes_unit = L" MB";
inline const wchar_t* const room_short = L"空き容量が足りません。";
inline const wchar_t* const room_unknown = L"空き容量を調べられませんでした。";
inline const wchar_t* const blocked_label = L"  書き込めません: ";
inline const wchar_t* const digests_label = L"照合: ";
inline const wchar_t* const digests_absent = L"gamedata.sha256 がないため、ファイルは照合されません。";
inline const wchar_t* const digests_unreadable = L"gamedata.sha256 を読み込めないため、照合できません。";
// "コピーする 3 ファイル", with "とパッチ 2 ファイル" when the update patches.
inline std::wstring files_read(std::size_t files, std::size_t patches)
{
    std::wstring text = L"コピーする " + std::to_wstring(files) + L" ファイル";
    if (patches > 0)
        text += L"とパッチ " + std::to_wstring(patches) + L" ファイル";
    return text;
}
inline std::wstring digests_all_match(std::size_t files, std::size_t patches)
{
    return files_read(files, patches) + L"すべてが gamedata.sha256 と一致しました。";
}
inline std::wstring digests_some_match(std::size_t files, std::size_t patches, std::size_t matching)
{
    return files_read(files, patches) + L"のうち、gamedata.sha256 と一致したのは " +
           std::to_wstring(matching) + L" ファイルです。";
}
inline const wchar_t* const digests_bad_lines = L"読み取れない行があるため、照合は失敗します。";
inline std::wstring counts(std::size_t errors, std::size_t warnings)
{
    return L"エラー " + std::to_wstring(errors) + L" 件, 警告 " + std::to_wstring(warnings) +
           L" 件";
}

}  // namespace check_msg
