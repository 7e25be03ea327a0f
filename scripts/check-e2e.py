#!/usr/bin/env python3
"""Runs update-check.exe under Wine on small update folders and compares its exit
code and its output, read as UTF-8 text, with what is expected.

    check-e2e.py --build-dir DIR NAME...       the cases below (all when none)
    check-e2e.py --build-dir DIR --show SCENARIO_JSON
        makes the update folder and the installation of an end-to-end scenario (the
        demo's, for instance), runs the check with --against and prints its report.

Run inside the rig (scripts/test does so through ctest).
"""

import argparse
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402  (the end-to-end runner's folder and Wine helpers)


def ini(*lines):
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


# Each case: update.ini as bytes, the gamedata tree, files beside them ("beside"), the
# exit code and the output.
CASES = {
    "clean": {
        "ini": ini('// ベロック物語 1.01',
                   '#REG_PATH = "Maker\\\\Game"',
                   '#GAME_TITLE = "ベロック物語"',
                   '#COPY_FILE = "data.arc"   // the archive',
                   '#COPY_FILE = "scenario"'),
        "gamedata": {"data.arc": "12345", "scenario/a.scn": "ab", "scenario/bg/t.png": "abc"},
        "in_folder": True,  # run without FOLDER, from inside the update folder
        "exit_code": 0,
        "output": """\
ゲーム名: ベロック物語
レジストリ: HKEY_LOCAL_MACHINE\\Software\\Maker\\Game
コピーする項目:
  data.arc: 1 ファイル, 5 バイト
  scenario\\: 2 ファイル, 5 バイト
合計: 3 ファイル, 10 バイト
照合: gamedata.sha256 がないため、ファイルは照合されません。

エラー 0 件, 警告 0 件
""",
    },
    "warnings": {
        "ini": ini('#REG_PATH = "Maker\\\\Old"',
                   '#REG_PATH = "Maker\\\\Game"',
                   '#GAME_TITLE = "ソ表予"',
                   ' #COPY_FILE = "extra.dat"',
                   '#COPY_FILE = "movie\\op.mpg"',
                   '#COPY_FILE = "movieop.mpg"') + b"\x1a#COPY_FILE = \"lost.dat\"\r\n",
        "gamedata": {"movieop.mpg": "m", "unused.txt": "u"},
        "exit_code": 1,
        "output": """\
update.ini(1): warning: #REG_PATH が複数あります。最後の 2 行目の値 "Maker\\Game" が使われ、この行の値は使われません。
update.ini(4): warning: 行頭に空白があるため、この行は読まれません。
update.ini(5): warning: 単独の \\ は読み捨てられるため、値は "movieop.mpg" と読まれます (\\ は \\\\ と書いてください)。
update.ini(6): warning: "movieop.mpg" は 5 行目と同じ項目です (2 回コピーされます)。
update.ini(7): warning: 0x1A のバイトより後ろは読まれません。
update.ini: warning: gamedata\\unused.txt はどの #COPY_FILE にも含まれないため、コピーされません。

ゲーム名: ソ表予
レジストリ: HKEY_LOCAL_MACHINE\\Software\\Maker\\Game
コピーする項目:
  movieop.mpg: 1 ファイル, 1 バイト
  movieop.mpg: 1 ファイル, 1 バイト
合計: 2 ファイル, 2 バイト
照合: gamedata.sha256 がないため、ファイルは照合されません。

エラー 0 件, 警告 6 件
""",
    },
    "digests": {
        "ini": ini('#REG_PATH = "Maker\\\\Game"',
                   '#GAME_TITLE = "ベロック物語"',
                   '#COPY_FILE = "data.arc"',
                   '#COPY_FILE = "scenario"'),
        "gamedata": {"data.arc": "12345", "scenario/a.scn": "ab", "scenario/bg/t.png": "abc",
                     "old.arc": "old"},
        # Saved on Windows: CR LF; a digest that differs, a path cut short, a file that no
        # entry copies, a line of another form; scenario/bg/t.png is not listed.
        "beside": {"gamedata.sha256": (
            "3e0d57ca8405edd51e2dada033a36f503d956954853a816931bef54a0651d98f *data.arc\r\n"
            "fb8e20fc2e4c3f248c60c39bd652f3c1347298bb977b8b4d5903b85055620603  scenario/a.scn\r\n"
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  scenario/bg/t.p\r\n"
            "cba06b5736faf67e54b07b561eae94395e774c517a7d910a54369e1263ccfbd4  old.arc\r\n"
            "0123  short.dat\r\n")},
        "exit_code": 2,
        "output": """\
update.ini: warning: gamedata\\old.arc はどの #COPY_FILE にも含まれないため、コピーされません。
gamedata.sha256(1): error: gamedata\\data.arc の SHA-256 がこの行と一致しません (ファイルの値は 5994471abb01112afcc18159f6cc74b4f511b99806da59b3caf5a9c173cacfc5)。更新プログラムは壊れたデータとしてアップデートを中止します。
gamedata.sha256(3): warning: gamedata\\scenario\\bg\\t.p というファイルはないため、この行は照合に使われません。
gamedata.sha256(4): warning: gamedata\\old.arc はどの #COPY_FILE にも含まれないため、この行は照合に使われません。
gamedata.sha256(5): error: sha256sum の形式 (16 進数 64 桁、空白、空白か *、gamedata からのパス) ではないため、更新プログラムはアップデートを中止します。
gamedata.sha256: error: gamedata\\scenario\\bg\\t.png はコピーされますが gamedata.sha256 に記載されていないため、更新プログラムはアップデートを中止します。

ゲーム名: ベロック物語
レジストリ: HKEY_LOCAL_MACHINE\\Software\\Maker\\Game
コピーする項目:
  data.arc: 1 ファイル, 5 バイト
  scenario\\: 2 ファイル, 5 バイト
合計: 3 ファイル, 10 バイト
照合: コピーする 3 ファイルのうち、gamedata.sha256 と一致したのは 1 ファイルです。読み取れない行があるため、照合は失敗します。

エラー 3 件, 警告 3 件
""",
    },
    "errors": {
        "ini": ini('#GAME_TITLE = "ベロック物語"',
                   '#COPY_FILE = "..\\\\x.dat"',
                   '#COPY_FILE = ""',
                   '#COPY_FILE = "missing.dat"',
                   '\t#REG_PATH = "Maker\\\\Game"'),
        "gamedata": {"a.dat": "a"},
        "exit_code": 2,
        "output": """\
update.ini: error: #REG_PATH が指定されていません (レジストリ名がないため、アップデートは中止されます)。
update.ini(2): error: "..\\x.dat" は使用できないパスです (..、先頭の \\ や /、: を含むパスは gamedata の外を指します)。
update.ini(3): error: #COPY_FILE の値が空です。
update.ini(4): error: コピー元 gamedata\\missing.dat が見つかりません。
update.ini(5): warning: 行頭に空白があるため、この行は読まれません。
update.ini: warning: gamedata\\a.dat はどの #COPY_FILE にも含まれないため、コピーされません。

ゲーム名: ベロック物語
レジストリ: (なし)
コピーする項目:
  ..\\x.dat: (エラーのため調べていません)
  "": (エラーのため調べていません)
  missing.dat: (エラーのため調べていません)
合計: 0 ファイル, 0 バイト
照合: gamedata.sha256 がないため、ファイルは照合されません。

エラー 4 件, 警告 2 件
""",
    },
    # Real symbolic links, as Wine shows them (reparse points without a tag): one
    # beside the copied folder, sorted before a forgotten file, and one inside it.
    "links": {
        "ini": ini('#REG_PATH = "Maker\\\\Game"',
                   '#GAME_TITLE = "ベロック物語"',
                   '#COPY_FILE = "a.dat"',
                   '#COPY_FILE = "tree"'),
        "gamedata": {"a.dat": "a", "alink": {"link": "tree"}, "forgotten.dat": "f",
                     "tree/x.dat": "x", "tree/up": {"link": ".."}},
        "exit_code": 2,
        "output": """\
update.ini(4): error: フォルダ gamedata\\tree\\up はリンク (ジャンクションかシンボリックリンク) です。更新プログラムはリンクをたどらないため、アップデートは中止されます。
update.ini: warning: フォルダ gamedata\\alink\\ はリンク (ジャンクションかシンボリックリンク) です。更新プログラムはリンクをたどらないため、中のファイルはコピーされません。
update.ini: warning: gamedata\\forgotten.dat はどの #COPY_FILE にも含まれないため、コピーされません。

ゲーム名: ベロック物語
レジストリ: HKEY_LOCAL_MACHINE\\Software\\Maker\\Game
コピーする項目:
  a.dat: 1 ファイル, 1 バイト
  tree: (エラーのため調べていません)
合計: 1 ファイル, 1 バイト
照合: gamedata.sha256 がないため、ファイルは照合されません。

エラー 1 件, 警告 2 件
""",
    },
    # Patches, read and checked as the updater reads them, against an installation
    # ("install", run with --against; INSTALL_DIR in the output is its path as Wine
    # sees it, and the free room, which varies, is not compared).
    "patches": {
        "ini": ini('#REG_PATH = "Maker\\\\Game"',
                   '#GAME_TITLE = "ベロック物語"',
                   '#COPY_FILE = "readme.txt"',
                   '#PATCH_FILE = "data.arc"',
                   '#PATCH_FILE = "bgm/op.ogg"',
                   '#PATCH_FILE = "movie.arc"',
                   '#PATCH_FILE = "voice.arc"',
                   '#PATCH_FILE = "readme.txt"'),
        "gamedata": {
            "readme.txt": "r",
            "data.arc.vcdiff": {"xdelta": {"old": {"size": 300000, "seed": 1},
                                           "new": {"size": 300000, "seed": 1, "flip": 1000}}},
            "bgm/op.ogg.vcdiff": {"xdelta": {"old": "op 1.00", "new": "op 1.01"}},
            "movie.arc.vcdiff": {"xdelta": {"old": "movie 1.00", "new": "movie 1.01"}},
            "voice.arc.vcdiff": {"xdelta": {"old": "voice 1.00", "new": "voice 1.01",
                                            "args": ["-S", "djw"]}},
            "old.arc.vcdiff": "left over",
        },
        "beside": {
            "before.sha256": {"sha256sum": {"data.arc": {"size": 300000, "seed": 1},
                                            "bgm/op.ogg": "op 1.00", "movie.arc": "movie 1.00",
                                            "voice.arc": "voice 1.00"}},
            "after.sha256": {"sha256sum": {"data.arc": {"size": 300000, "seed": 1, "flip": 1000},
                                           "bgm/op.ogg": "op 1.01", "voice.arc": "voice 1.01"}},
        },
        "install": {"data.arc": {"size": 300000, "seed": 1}, "bgm/op.ogg": "op 1.01",
                    "movie.arc": "movie 0.99"},
        "exit_code": 2,
        "output": """\
update.ini(6): error: "movie.arc" は after.sha256 に記載されていないため、更新プログラムはアップデートを中止します。
update.ini(7): error: パッチ gamedata\\voice.arc.vcdiff は二次圧縮されているため、更新プログラムは使えません (xdelta3 -e -S none で作ってください)。
update.ini(8): error: "readme.txt" は 3 行目の #COPY_FILE "readme.txt" でもコピーされます (パッチを当てるファイルとそのパッチはコピーできないため、更新プログラムはアップデートを中止します)。
update.ini(8): error: "readme.txt" は before.sha256 に記載されていないため、更新プログラムはアップデートを中止します。
update.ini(8): error: "readme.txt" は after.sha256 に記載されていないため、更新プログラムはアップデートを中止します。
update.ini: warning: gamedata\\old.arc.vcdiff はどの #PATCH_FILE にも使われず、どの #COPY_FILE にも含まれないため、使われません。
update.ini: error: INSTALL_DIR\\movie.arc は before.sha256 とも after.sha256 とも一致しません。このアップデートが対象とするバージョンではないため、更新プログラムはアップデートを中止します。

ゲーム名: ベロック物語
レジストリ: HKEY_LOCAL_MACHINE\\Software\\Maker\\Game
コピーする項目:
  readme.txt: 1 ファイル, 1 バイト
合計: 1 ファイル, 1 バイト
パッチを当てるファイル:
  data.arc: パッチ 48 バイト, 新しいファイル 300,000 バイト
  bgm/op.ogg: パッチ 32 バイト, 新しいファイル 7 バイト
  movie.arc: パッチ 32 バイト, 新しいファイル 10 バイト
  voice.arc: (エラーのため調べていません)
  readme.txt: (エラーのため調べていません)
パッチ: 3 ファイル, 112 バイト (新しいファイル 300,017 バイト)
照合: gamedata.sha256 がないため、ファイルは照合されません。

インストール先: INSTALL_DIR
  新規作成: readme.txt
置き換え 0 ファイル, 新規作成 1 ファイル
  パッチ適用: data.arc
  適用済み: bgm\\op.ogg
  対象外のバージョン: movie.arc
パッチ適用 1 ファイル, 適用済み 1 ファイル
必要な空き容量: 315,392 バイト (1 MB)
空き容量: ...

エラー 6 件, 警告 1 件
""",
    },
    # An update.ini too large to hold (sparse: nothing is written to the disk): the
    # check ends with an error line, not a crash.
    "huge-ini": {
        "ini": ini('#REG_PATH = "Maker\\\\Game"'),
        "ini_size": 2500000000,
        "gamedata": {"a.dat": "a"},
        "exit_code": 2,
        "output": "",
        "errors": "update-check: error: メモリが足りないため、調べ終えられませんでした。\n",
    },
}


def win(path):
    return "Z:" + path.replace("/", "\\")


def run_check(build_dir, args, cwd, out_dir):
    """Runs the check; its output goes to a file (a redirected program writes UTF-8)."""
    out_path = os.path.join(out_dir, "stdout.txt")
    err_path = os.path.join(out_dir, "stderr.txt")
    code = None
    for attempt in range(e2e.RUNS_AFTER_HANG):
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            try:
                code = subprocess.call(["wine", os.path.join(build_dir, "update-check.exe")] + args,
                                       stdout=out, stderr=err, stdin=subprocess.DEVNULL, cwd=cwd,
                                       timeout=60)
                break
            except subprocess.TimeoutExpired:
                e2e.kill_wine()  # Wine itself hung (see e2e.kill_wine): run it again
    with open(out_path, "rb") as f, open(err_path, "rb") as e:
        return code, f.read(), e.read()


FREE_ROOM_LABEL = "空き容量: "


def without_free_room(text):
    """The report with the free room's figure left out: it is the machine's, not the case's."""
    return "".join(FREE_ROOM_LABEL + "...\n" if line.startswith(FREE_ROOM_LABEL) else line
                   for line in text.splitlines(True))


def run_case(name, build_dir, out_root):
    case = CASES[name]
    out_dir = os.path.join(out_root, name)
    shutil.rmtree(out_dir, ignore_errors=True)
    folder = os.path.join(out_dir, "update")
    os.makedirs(folder)
    with open(os.path.join(folder, "update.ini"), "wb") as f:
        f.write(case["ini"])
        if "ini_size" in case:
            f.truncate(case["ini_size"])
    e2e.make_tree(os.path.join(folder, "gamedata"), case["gamedata"], folder)
    e2e.make_tree(folder, case.get("beside", {}), folder)
    against = []
    if "install" in case:
        install = os.path.join(out_dir, "game")
        e2e.make_tree(install, case["install"], folder)
        against = ["--against", win(install)]
    if case.get("in_folder"):
        code, output, errors = run_check(build_dir, against, folder, out_dir)
    else:
        code, output, errors = run_check(build_dir, [win(folder)] + against, out_dir, out_dir)
    problems = []
    if code != case["exit_code"]:
        problems.append("exit code %s, expected %s" % (code, case["exit_code"]))
    try:
        text = without_free_room(output.decode("utf-8").replace("\r\n", "\n"))
    except UnicodeDecodeError as error:
        return problems + ["output is not UTF-8: %s" % error]
    expected = case["output"]
    if "install" in case:
        expected = expected.replace("INSTALL_DIR", win(install))
    if text != expected:
        problems.append("output differs:\n--- got\n%s--- expected\n%s" % (text, expected))
    shown = errors.decode("utf-8", errors="replace").replace("\r\n", "\n")
    if "errors" in case and shown != case["errors"]:
        problems.append("errors differ:\n--- got\n%s--- expected\n%s" % (shown, case["errors"]))
    if "ini_size" in case:
        shutil.rmtree(folder, ignore_errors=True)  # a sparse file is not kept
    return problems


def show(scenario_path, build_dir, out_root):
    """Makes a scenario's update folder and installation and prints the check's report."""
    with open(scenario_path, encoding="utf-8") as f:
        scenario = json.load(f)
    out_dir = os.path.join(out_root, "check")
    shutil.rmtree(out_dir, ignore_errors=True)
    folder = os.path.join(out_dir, "update")
    install = os.path.join(out_dir, scenario.get("install_dir", "game"))
    os.makedirs(folder)
    lines = scenario["update_ini"]
    text = "\r\n".join(lines) + "\r\n" if isinstance(lines, list) else lines
    with open(os.path.join(folder, "update.ini"), "wb") as f:
        f.write(text.encode(scenario.get("update_ini_encoding", "cp932")))
    e2e.make_tree(os.path.join(folder, "gamedata"), scenario.get("gamedata", {}), folder)
    e2e.make_tree(folder, scenario.get("plant", {}), folder)
    e2e.make_tree(install, scenario.get("install", {}), folder)
    code, output, _ = run_check(build_dir, [win(folder), "--against", win(install)], out_dir,
                                out_dir)
    print("update-check %s --against %s  (exit code %d)" % (win(folder), win(install), code))
    print(output.decode("utf-8", errors="replace").replace("\r\n", "\n"), end="")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.rmtree(install, ignore_errors=True)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(e2e.ROOT, "build", "x64"))
    parser.add_argument("--out", help="where the folders go (default: BUILD_DIR/check-out)")
    parser.add_argument("--show", metavar="SCENARIO_JSON")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    out = os.path.abspath(args.out or os.path.join(build_dir, "check-out"))
    if args.show:
        return show(args.show, build_dir, out)
    failed = 0
    for name in args.names or sorted(CASES):
        problems = run_case(name, build_dir, out)
        print("%-20s %s" % (name, "ok" if not problems else "FAILED"))
        for problem in problems:
            print("    " + problem)
        failed += bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
