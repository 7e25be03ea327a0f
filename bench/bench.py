#!/usr/bin/env python3
"""The copy benchmark: the updater against Wine's xcopy and a native cp -r.

Three trees are made once in /dev/shm/updater-bench-PREFIX (memory, so that the disk
does not decide; PREFIX names the Wine prefix's folder) and reached from the Wine
prefix through the link drive_c/bench:

  large    4 files of 200 MB
  small    5,000 files of 4 KB in 20 folders, each with a subfolder
  mixed    50 files of 5 MB and 2,000 files of 8 KB in 10 folders
  entries  3,000 files of 1 KB in one folder, each named by an entry of its own
           (the updater alone: how its listing grows with the entries)
  tiny     one file of 1 byte: each tool's fixed cost (start, question, boxes, exit)

With --trees patch (or the trees and patch), the patch benchmark instead: an
archive of 512 MiB and its new version with 1 % of it changed in eight places,
updated four ways from an installation of the old archive: patched (a #PATCH_FILE
with the patch xdelta3 -e -S none makes), copied whole (the new archive as a
#COPY_FILE), copied whole with a gamedata.sha256 (its bytes hashed as they are
written, as a patched file's always are, against after.sha256), and patched when
the archive is new already (the check's hash alone, nothing written). Patching's
own work is the patched run less the hash-only run; it is compared with the whole
copy that hashes what it writes, and with the plain one.

For every tree, round after round, the tools copy the same tree, interleaved: the
updater (started by the end-to-end watcher, which answers its question with Yes;
timed by the watcher from process start to exit, success box included), the updater
again with a gamedata.sha256 beside its update.ini that lists every file (each file
then hashed as it is copied), xcopy /E /I /Y (started and timed by the watcher the
same way) and cp -r (timed here). The destination already holds the files, as in a real update, which
overwrites (--into empty: an empty folder). The first round is a warm-up and is not
counted. Every round also runs each tool on the tiny tree: its median is the tool's
fixed cost (Wine starting it, the updater's question and boxes), taken off the
other trees' medians to give each tool's copy work, which is what the ratios
compare (raw times flatter whichever tool pays more fixed cost). Prints raw times and
copy work, the ratios updater/xcopy against the targets, each tool's cost per file
and per MiB, the cost of the digest list (copy work with it against copy work
without it plus sha256sum's time for the same bytes), and the system's SHA-256 under
Wine against sha256sum on one file. With --before OLD.exe an earlier build is
timed in the same rounds too (plain and with the list), for a change's before and
after on one machine state: the times of separate runs drift more than most changes.

Run through bench/run, which enters the rig and builds the updater and the watcher.
"""

import argparse
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

# One folder per Wine prefix, so that runs from two checkouts (each with a prefix of
# its own) do not meet.
SHM = "/dev/shm/updater-bench-" + os.path.basename(os.environ["WINEPREFIX"].rstrip("/"))
TREES = ["large", "small", "mixed"]
# Copy work (a run less the tool's run on the tiny tree): updater / xcopy. The small
# and mixed trees pay for the safe path, a staged file, its flush, a link, a rename
# and a deletion per file where xcopy overwrites in place.
TARGETS = {"small": 2.0, "mixed": 1.8, "large": 1.3}
# With gamedata.sha256: copy work <= this many times the copy work without it, plus
# the time sha256sum takes for the same bytes.
DIGEST_TARGET = 1.2
BASELINE = "tiny"
ENTRIES = 3000
PATCH_BENCH = False  # --trees ...,patch
PATCH_FILES = None
BENCH_TREES = TREES
INTO_EXISTING = True  # the destination holds the files already (--into)
BEFORE_EXE = None  # --before: an earlier updater.exe timed in the same rounds
BEFORE_NAME = "updater-before.exe"


def drive_c(*parts):
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *parts)


def win(*parts):
    return "C:\\bench\\" + "\\".join(parts)


def write_files(folder, count, size, seed):
    os.makedirs(folder, exist_ok=True)
    block = os.urandom(size) if size <= 65536 else None
    for i in range(count):
        with open(os.path.join(folder, "f%04d_%d.dat" % (i, seed)), "wb") as f:
            if block is not None:
                f.write(block[i % 7:] + block[:i % 7])
            else:
                left = size
                while left:
                    n = min(left, 8 << 20)
                    f.write(os.urandom(n))
                    left -= n


def make_tree(name, root):
    if name == "large":
        write_files(root, 4, 200 * 1000 * 1000, 0)
    elif name == "small":
        for d in range(20):
            folder = os.path.join(root, "dir%02d" % d)
            write_files(folder, 125, 4096, d)
            write_files(os.path.join(folder, "sub"), 125, 4096, d + 100)
    elif name == "entries":
        write_files(root, ENTRIES, 1024, 0)
    elif name == BASELINE:
        os.makedirs(root, exist_ok=True)
        with open(os.path.join(root, "one.dat"), "wb") as f:
            f.write(b"1")
    elif name == "mixed":
        for d in range(10):
            folder = os.path.join(root, "dir%02d" % d)
            write_files(folder, 5, 5 * 1000 * 1000, d)
            write_files(os.path.join(folder, "small"), 200, 8192, d + 100)


def updater_folder(tree):
    return os.path.join(SHM, "upd-" + tree)


def source_tree(tree):
    return os.path.join(updater_folder(tree), "gamedata", tree)


def digest_list_path(tree):
    """Where the tree's gamedata.sha256 is kept while the updater runs without it."""
    return os.path.join(updater_folder(tree), "gamedata.sha256.kept")


def write_digest_list(tree):
    """Lists every file of the tree as sha256sum does, once per tree."""
    gamedata = os.path.join(updater_folder(tree), "gamedata")
    lines = []
    for folder, dirs, files in os.walk(gamedata):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            digest = hashlib.sha256()
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    digest.update(block)
            lines.append("%s  %s\n" % (digest.hexdigest(),
                                       os.path.relpath(path, gamedata).replace(os.sep, "/")))
    with open(digest_list_path(tree), "w", encoding="utf-8") as f:
        f.write("".join(lines))


def with_digest_list(tree, present):
    listed = os.path.join(updater_folder(tree), "gamedata.sha256")
    if present:
        shutil.copy(digest_list_path(tree), listed)
    elif os.path.exists(listed):
        os.remove(listed)


SOFTWARE_KEY = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node"  # a 32-bit exe in a 64-bit prefix


def prepare_world(build_dir, exe=None):
    os.makedirs(SHM, exist_ok=True)
    link = drive_c("bench")
    if os.path.islink(link) or os.path.exists(link):
        if os.path.realpath(link) != SHM:
            sys.exit("%s exists and is not the bench link" % link)
    else:
        os.symlink(SHM, link)
    lines = ["Windows Registry Editor Version 5.00", ""]
    for tree in [t for t in TREES + ["entries", BASELINE] if t in BENCH_TREES + [BASELINE]]:
        stamp = os.path.join(updater_folder(tree), ".made")
        if not os.path.exists(stamp):
            print("making the %s tree in %s..." % (tree, SHM), flush=True)
            shutil.rmtree(updater_folder(tree), ignore_errors=True)
            make_tree(tree, source_tree(tree))
            open(stamp, "w").close()
        if not os.path.exists(digest_list_path(tree)):
            write_digest_list(tree)
        shutil.copy(exe or os.path.join(build_dir, "updater.exe"), updater_folder(tree))
        if BEFORE_EXE:
            shutil.copy(BEFORE_EXE, os.path.join(updater_folder(tree), BEFORE_NAME))
        entries = [tree] if tree != "entries" else \
            ["%s\\\\%s" % (tree, name) for name in sorted(os.listdir(source_tree(tree)))]
        with open(os.path.join(updater_folder(tree), "update.ini"), "wb") as f:
            f.write(("#REG_PATH = \"UpdaterBench\\\\%s\"\r\n#GAME_TITLE = \"Bench\"\r\n" % tree +
                     "".join("#COPY_FILE = \"%s\"\r\n" % e for e in entries)).encode("ascii"))
        key = SOFTWARE_KEY + "\\UpdaterBench\\" + tree
        game = win("game-" + tree).replace("\\", "\\\\")
        lines += ["[%s]" % key, '"exe_dir"="%s"' % game, '"dat_dir"="%s"' % game,
                  '"dat_setup"="full"', ""]
    if PATCH_BENCH:
        global PATCH_FILES
        PATCH_FILES = prepare_patch_world(build_dir, exe, lines)
    reg = os.path.join(SHM, "bench.reg")
    with open(reg, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
    wine(["regedit", "/S", "Z:" + reg.replace("/", "\\")])


def wine(args, timeout=None):
    with open(os.path.join(SHM, "wine.log"), "ab") as log:
        return subprocess.run(["wine"] + args, stdout=log, stderr=log,
                              stdin=subprocess.DEVNULL, timeout=timeout).returncode


# Now and then Wine's server spins for ever inside a window request (seen here with
# every program that shows message boxes under the watcher); every Wine process of
# the prefix then waits on it. Such a run is thrown away: the server is restarted
# and the run made again.
RUN_TIMEOUT = 300
hangs = 0


def restart_wineserver():
    global hangs
    hangs += 1
    print("    (Wine's server hung; restarting it and running again)", flush=True)
    with open(os.path.join(SHM, "wine.log"), "ab") as log:
        subprocess.call(["wineserver", "-k"], stdout=log, stderr=log)
        subprocess.call(["wineserver", "-p"], stdout=log, stderr=log)


def fresh(folder, engine=False, tree=None):
    """An empty destination, or with INTO_EXISTING one that holds the tree already."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    if engine:
        with open(os.path.join(folder, "VellocEngine.exe"), "wb") as f:
            f.write(b"engine")
    if tree and INTO_EXISTING:
        subprocess.check_call(["cp", "-r", source_tree(tree), os.path.join(folder, tree)])


def watched(build_dir, exe, args=None, answers=(), prepare=lambda: None):
    """Runs exe under the watcher (prepare() before every attempt); returns
    (seconds, transcript events)."""
    transcript = os.path.join(SHM, "transcript.jsonl")
    if os.path.exists(transcript):
        os.remove(transcript)
    command = [os.path.join(build_dir, "e2e", "watcher.exe"), "--exe", exe,
               "--cwd", win(), "--timeout", "900",
               "--transcript", "Z:" + transcript.replace("/", "\\")]
    for answer in answers:
        command += ["--answer", answer]
    if args:
        command += ["--args", args]
    for attempt in range(3):
        prepare()
        try:
            code = wine(command, timeout=RUN_TIMEOUT)
            break
        except subprocess.TimeoutExpired:
            restart_wineserver()
            if os.path.exists(transcript):
                os.remove(transcript)
    else:
        sys.exit("%s hung three times" % exe)
    with open(transcript, encoding="utf-8") as f:
        events = [json.loads(line) for line in f if line.strip()]
    exits = [e for e in events if e["event"] == "exit"]
    if code != 0 or not exits:
        sys.exit("%s did not run to its end: %s" % (exe, events[-1:]))
    return exits[-1]["ms"] / 1000.0, events


def run_updater(build_dir, tree, digests=False, exe_name="updater.exe"):
    with_digest_list(tree, digests)
    seconds, events = watched(
        build_dir, win("upd-" + tree, exe_name), answers=["yes"],
        prepare=lambda: fresh(os.path.join(SHM, "game-" + tree), engine=True, tree=tree))
    boxes = [e["text"] for e in events if e["event"] == "box"]
    if not boxes or boxes[-1] != "アップデートは正常に終了しました。":
        sys.exit("the updater did not succeed on %s: %s" % (tree, boxes))
    return seconds


def run_updater_with_digests(build_dir, tree):
    return run_updater(build_dir, tree, digests=True)


def run_before(build_dir, tree):
    return run_updater(build_dir, tree, exe_name=BEFORE_NAME)


def run_before_with_digests(build_dir, tree):
    return run_updater(build_dir, tree, digests=True, exe_name=BEFORE_NAME)


def run_xcopy(build_dir, tree):
    args = "/E /I /Y %s %s" % (win("upd-" + tree, "gamedata", tree), win("xcopy-" + tree, tree))
    seconds, _ = watched(build_dir, "C:\\windows\\system32\\xcopy.exe", args=args,
                         prepare=lambda: fresh(os.path.join(SHM, "xcopy-" + tree), tree=tree))
    return seconds


def run_cp(build_dir, tree):
    fresh(os.path.join(SHM, "cp-" + tree), tree=tree)
    started = time.perf_counter()
    subprocess.check_call(["cp", "-rT", source_tree(tree), os.path.join(SHM, "cp-" + tree, tree)])
    return time.perf_counter() - started


PATCH_SIZE = 512 << 20
PATCH_WAYS = ["patched", "whole", "whole-listed", "new-already"]


def patch_folder(way):
    return os.path.join(SHM, "upd-patch-" + way)


def write_random(path, size):
    with open(path, "wb") as f:
        left = size
        while left:
            n = min(left, 8 << 20)
            f.write(os.urandom(n))
            left -= n


def changed_copy(old, new, places=8, share=0.01):
    """The new archive: the old one with `share` of it replaced, in `places` runs."""
    shutil.copy(old, new)
    run = int(PATCH_SIZE * share / places)
    with open(new, "r+b") as f:
        for i in range(places):
            f.seek(int(PATCH_SIZE / places * i + PATCH_SIZE / places / 3))
            f.write(os.urandom(run))


def sha256_line(path, name):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return "%s  %s\n" % (digest.hexdigest(), name)


def prepare_patch_world(build_dir, exe, lines):
    """The three updater folders of the patch benchmark and their registry records."""
    base = os.path.join(SHM, "patch-pair")
    old, new, patch = (os.path.join(base, n) for n in ("old.arc", "new.arc", "data.arc.vcdiff"))
    if not os.path.exists(os.path.join(base, ".made")):
        print("making the 512 MiB pair and its patch in %s..." % base, flush=True)
        shutil.rmtree(base, ignore_errors=True)
        os.makedirs(base)
        write_random(old, PATCH_SIZE)
        changed_copy(old, new)
        subprocess.check_call(["xdelta3", "-e", "-f", "-S", "none", "-s", old, new, patch])
        open(os.path.join(base, ".made"), "w").close()
    for way in PATCH_WAYS:
        folder = patch_folder(way)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "gamedata"))
        shutil.copy(exe or os.path.join(build_dir, "updater.exe"), folder)
        if way.startswith("whole"):
            os.link(new, os.path.join(folder, "gamedata", "data.arc"))
            entry = "#COPY_FILE = \"data.arc\""
            if way == "whole-listed":
                with open(os.path.join(folder, "gamedata.sha256"), "w") as f:
                    f.write(sha256_line(new, "data.arc"))
        else:
            os.link(patch, os.path.join(folder, "gamedata", "data.arc.vcdiff"))
            entry = "#PATCH_FILE = \"data.arc\""
            with open(os.path.join(folder, "before.sha256"), "w") as f:
                f.write(sha256_line(old, "data.arc"))
            with open(os.path.join(folder, "after.sha256"), "w") as f:
                f.write(sha256_line(new, "data.arc"))
        with open(os.path.join(folder, "update.ini"), "wb") as f:
            f.write(("#REG_PATH = \"UpdaterBench\\\\patch-%s\"\r\n#GAME_TITLE = \"Bench\"\r\n%s\r\n"
                     % (way, entry)).encode("ascii"))
        game = win("game-patch-" + way).replace("\\", "\\\\")
        lines += ["[%s\\UpdaterBench\\patch-%s]" % (SOFTWARE_KEY, way), '"exe_dir"="%s"' % game,
                  '"dat_dir"="%s"' % game, '"dat_setup"="full"', ""]
    return old, new, patch


def run_patch_way(build_dir, way, installed):
    def prepare():
        game = os.path.join(SHM, "game-patch-" + way)
        fresh(game, engine=True)
        os.link(installed, os.path.join(game, "data.arc"))
    seconds, events = watched(build_dir, win("upd-patch-" + way, "updater.exe"), answers=["yes"],
                              prepare=prepare)
    boxes = [e["text"] for e in events if e["event"] == "box"]
    if not boxes or boxes[-1] != "アップデートは正常に終了しました。":
        sys.exit("the updater did not succeed with the patch (%s): %s" % (way, boxes))
    return seconds


def patch_benchmark(build_dir, rounds, old, new, patch):
    times = {way: [] for way in PATCH_WAYS}
    for round_number in range(rounds + 1):
        for way in PATCH_WAYS:
            seconds = run_patch_way(build_dir, way, new if way == "new-already" else old)
            if round_number > 0:
                times[way].append(seconds)
            print("round %d patch  %-11s %7.3f s%s" % (round_number, way, seconds,
                  "  (warm-up)" if round_number == 0 else ""), flush=True)
        if round_number == 0 and not same_file(new, os.path.join(SHM, "game-patch-patched",
                                                                  "data.arc")):
            sys.exit("the patched archive is not the new one")
    start = time.perf_counter()
    subprocess.check_call(["sha256sum", new], stdout=subprocess.DEVNULL)
    sha256sum = time.perf_counter() - start
    med = {way: statistics.median(times[way]) for way in PATCH_WAYS}
    patching = med["patched"] - med["new-already"]
    print()
    print("patch of %d bytes for an archive of %d bytes" % (os.path.getsize(patch), PATCH_SIZE))
    print("%-22s %9s" % ("run", "median"))
    for way in PATCH_WAYS:
        print("%-22s %8.3fs" % (way, med[way]))
    print("%-22s %8.3fs" % ("sha256sum of the archive", sha256sum))
    ratio = patching / med["whole-listed"]
    print("patching alone (patched - new-already): %.3f s = %.2f x the whole copy's run "
          "that hashes its bytes (target <= 1.2: %s), %.2f x the plain whole copy's"
          % (patching, ratio, "met" if ratio <= 1.2 else "MISSED", patching / med["whole"]))
    for way in PATCH_WAYS:
        shutil.rmtree(os.path.join(SHM, "game-patch-" + way), ignore_errors=True)
    return ratio > 1.2


def same_file(a, b):
    return subprocess.call(["cmp", "-s", a, b]) == 0


TOOLS = [("updater", run_updater), ("sha256", run_updater_with_digests), ("xcopy", run_xcopy),
         ("cp", run_cp)]


def same_tree(a, b):
    return subprocess.call(["diff", "-rq", a, b], stdout=subprocess.DEVNULL) == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--rounds", type=int, default=5, help="timed rounds (5)")
    parser.add_argument("--trees", default=",".join(TREES))
    parser.add_argument("--keep", action="store_true", help="keep the trees in /dev/shm")
    parser.add_argument("--into", choices=["existing", "empty"], default="existing",
                        help="what the destination holds before each copy (existing)")
    parser.add_argument("--exe", help="time this updater.exe instead of the build's")
    parser.add_argument("--before", help="also time this earlier updater.exe in the same rounds "
                                         "(rows 'before'), for a change's before and after")
    parser.add_argument("--software-key", default=None,
                        help="where the exe reads HKLM\\Software (a 32-bit prefix has no "
                             "Wow6432Node; the default is a 32-bit exe's in a 64-bit prefix)")
    args = parser.parse_args()
    global INTO_EXISTING, SOFTWARE_KEY, BEFORE_EXE, TOOLS
    if args.before:
        BEFORE_EXE = os.path.abspath(args.before)
        TOOLS = [("before", run_before), ("before-sha256", run_before_with_digests)] + TOOLS
    SOFTWARE_KEY = args.software_key or SOFTWARE_KEY
    INTO_EXISTING = args.into == "existing"
    build_dir = os.path.abspath(args.build_dir)
    trees = args.trees.split(",")
    global PATCH_BENCH, BENCH_TREES
    PATCH_BENCH = "patch" in trees
    if PATCH_BENCH:
        trees.remove("patch")
    BENCH_TREES = trees
    prepare_world(build_dir, args.exe)
    failed = PATCH_BENCH and patch_benchmark(build_dir, args.rounds, *PATCH_FILES)
    if not trees:
        finish(args.keep, [])
        return 1 if failed else 0
    print("destination: %s" % ("holding the files already" if INTO_EXISTING else "empty"))
    if "entries" in trees:
        trees.remove("entries")
        entry_times = [run_updater(build_dir, "entries") for _ in range(3)]
        print("entries: %d file entries in one folder of %d files: %.2f s (median of 3)" % (
            ENTRIES, ENTRIES, statistics.median(entry_times)), flush=True)

    timed = [BASELINE] + trees
    times = {(tree, tool): [] for tree in timed for tool, _ in TOOLS}
    for round_number in range(args.rounds + 1):
        for tree in timed:
            for tool, run in TOOLS:
                seconds = run(build_dir, tree)
                if round_number > 0:
                    times[(tree, tool)].append(seconds)
                print("round %d %-6s %-8s %7.3f s%s" % (round_number, tree, tool, seconds,
                      "  (warm-up)" if round_number == 0 else ""), flush=True)
        if round_number == 0:
            for tree in timed:
                for tool in ("game-", "xcopy-", "cp-"):
                    copied = os.path.join(SHM, tool + tree, tree)
                    if not same_tree(source_tree(tree), copied):
                        sys.exit("%s did not copy the %s tree whole" % (tool.rstrip("-"), tree))

    med = {key: statistics.median(values) for key, values in times.items()}
    start = {tool: med[(BASELINE, tool)] for tool, _ in TOOLS}
    # A run less the same tool's run on the tiny tree: the copy work alone. Runs of one
    # round are paired, which is steadier when the machine's load drifts.
    work = {key: max(value - start[key[1]], 0.0) for key, value in med.items()}

    def paired_work_ratio(tree, tool, other):
        return statistics.median(
            (a - b0) / max(b - c0, 1e-6)
            for a, b, b0, c0 in zip(times[(tree, tool)], times[(tree, other)],
                                    times[(BASELINE, tool)], times[(BASELINE, other)]))

    print()
    print("fixed cost (the tiny tree): updater %.3f s, with sha256 %.3f s, xcopy %.3f s, cp %.3f s"
          % (start["updater"], start["sha256"], start["xcopy"], start["cp"]))
    print()
    print("%-6s %9s %9s %9s | %9s %9s %9s | %9s %9s" % (
        "tree", "updater", "xcopy", "cp -r", "updater", "xcopy", "cp -r", "upd/xcopy", "per round"))
    print("%-6s %29s | %29s | %19s" % ("", "raw (median)", "copy work (raw - fixed)", "copy work"))
    for tree in trees:
        ratio = work[(tree, "updater")] / max(work[(tree, "xcopy")], 1e-6)
        paired = paired_work_ratio(tree, "updater", "xcopy")
        target = TARGETS.get(tree)
        verdict = ""
        if target:
            verdict = "  (target <= %.1f: %s)" % (target, "met" if ratio <= target else "MISSED")
            failed |= ratio > target
        print("%-6s %8.3fs %8.3fs %8.3fs | %8.3fs %8.3fs %8.3fs | %9.2f %9.2f%s" % (
            tree, med[(tree, "updater")], med[(tree, "xcopy")], med[(tree, "cp")],
            work[(tree, "updater")], work[(tree, "xcopy")], work[(tree, "cp")], ratio, paired,
            verdict))
    print_unit_costs(trees, work)
    if BEFORE_EXE:
        print_before_and_after(trees, med, work)

    # What the digest list costs: every file hashed as it is written.
    print()
    print("%-6s %9s %11s %10s %14s %9s" % ("tree", "updater", "with sha256", "sha256sum",
                                           "allowed", "per round"))
    print("%-6s %9s %11s %10s %14s" % ("", "copy work", "copy work", "same bytes",
                                       "1.2 x + sha256sum"))
    for tree in trees:
        plain = work[(tree, "updater")]
        checked = work[(tree, "sha256")]
        summed = sha256sum_seconds(source_tree(tree))
        allowed = DIGEST_TARGET * plain + summed
        paired = paired_work_ratio(tree, "sha256", "updater")
        failed |= checked > allowed
        print("%-6s %8.3fs %10.3fs %9.3fs %13.3fs %9.2f  (%s)" % (
            tree, plain, checked, summed, allowed, paired,
            "met" if checked <= allowed else "MISSED"))
    print_hash_speed(build_dir, trees)
    finish(args.keep, timed)
    return 1 if failed else 0


def tree_size(tree):
    """(files, MiB) of a tree's update data."""
    files, size = 0, 0
    for folder, _, names in os.walk(source_tree(tree)):
        for name in names:
            files += 1
            size += os.path.getsize(os.path.join(folder, name))
    return files, size / float(1 << 20)


def print_before_and_after(trees, med, work):
    """The earlier exe (--before) against this one, timed in the same rounds."""
    print()
    print("before -> now (%s)" % BEFORE_EXE)
    print("%-6s %-8s %19s %19s %19s" % ("tree", "run", "raw", "copy work", "work / xcopy's"))
    for tree in trees:
        xcopy = max(work[(tree, "xcopy")], 1e-6)
        for label, old, new in (("plain", "before", "updater"), ("sha256", "before-sha256", "sha256")):
            print("%-6s %-8s %8.3f -> %6.3fs %8.3f -> %6.3fs %8.2f -> %6.2f" % (
                tree, label, med[(tree, old)], med[(tree, new)], work[(tree, old)],
                work[(tree, new)], work[(tree, old)] / xcopy, work[(tree, new)] / xcopy))


def print_unit_costs(trees, work):
    """Each tool's cost per file and per MiB, from the small and the large tree:
    copy work = files x per file + MiB x per MiB, solved for the two."""
    if "small" not in trees or "large" not in trees:
        return
    (fs, ms), (fl, ml) = tree_size("small"), tree_size("large")
    det = fs * ml - fl * ms
    print()
    print("%-8s %12s %12s   (copy work = files x per file + MiB x per MiB, small and large)"
          % ("tool", "per file", "per MiB"))
    for tool in ("updater", "sha256", "xcopy", "cp"):
        ws, wl = work[("small", tool)], work[("large", tool)]
        per_file = (ws * ml - wl * ms) / det
        per_mib = (fs * wl - fl * ws) / det
        print("%-8s %9.3f ms %9.3f ms" % (tool, per_file * 1000, per_mib * 1000))


def best_of(command, rounds=3):
    best = None
    for _ in range(rounds):
        started = time.perf_counter()
        subprocess.check_call(command, stdout=subprocess.DEVNULL)
        taken = time.perf_counter() - started
        best = taken if best is None else min(best, taken)
    return best


def sha256sum_seconds(folder):
    """What sha256sum takes for every file of the folder (best of three)."""
    names = sorted(os.path.join(d, n) for d, _, ns in os.walk(folder) for n in ns)
    return best_of(["sha256sum"] + names)


def print_hash_speed(build_dir, trees):
    """The system's SHA-256 under Wine (as the updater calls it) against sha256sum, on
    the largest file of the trees: the part of the hashing cost that is Wine's own."""
    files = [os.path.join(d, n) for tree in trees for d, _, ns in os.walk(source_tree(tree))
             for n in ns]
    if not files:
        return
    biggest = max(files, key=os.path.getsize)
    tool = os.path.join(build_dir, "bench", "hash_speed.exe")
    done = subprocess.run(["wine", tool, "Z:" + biggest.replace("/", "\\"), "3"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    words = done.stdout.split()
    if done.returncode != 0 or len(words) < 7:
        print("hash speed: %s did not run (%s)" % (tool, done.stdout.strip()))
        return
    size, system_seconds = int(words[0]), float(words[2])
    summed = best_of(["sha256sum", biggest])
    print()
    print("SHA-256 of one file of %d MB: the system's hash under Wine %.0f MB/s (%.3f s), "
          "sha256sum %.0f MB/s (%.3f s): %.1f x slower under Wine"
          % (size / 1e6, size / system_seconds / 1e6, system_seconds, size / summed / 1e6, summed,
             system_seconds / summed))


def finish(keep, trees):
    if hangs:
        print("(%d run(s) made again after Wine's server hung)" % hangs)
    for tool in ("game-", "xcopy-", "cp-"):
        for tree in trees:
            shutil.rmtree(os.path.join(SHM, tool + tree), ignore_errors=True)
    if not keep:
        shutil.rmtree(SHM, ignore_errors=True)
        os.remove(drive_c("bench"))


if __name__ == "__main__":
    sys.exit(main())
