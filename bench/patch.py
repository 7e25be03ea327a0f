#!/usr/bin/env python3
"""The patch benchmark: our patch writer against xdelta3 on pairs made to look like a
game's releases (tests/delta/patch_pairs.py), made once in /dev/shm (memory, so that
the disk does not decide):

  archive    a 256 MiB archive of a few thousand entries; the new release replaces
             1 % of them with entries of other sizes, inserts and deletes a few
  scattered  64 MiB with a few bytes changed every few KiB

Per pair: the patch's size against xdelta3 -e -9 -S none's (target: at most 1.1
times), and the time against xdelta3 -e -S none's (target: no slower). Ours is
vcdiff-encode.exe under Wine, timed from its start to its exit (Wine's start
included) and by itself (the writing alone); xdelta3 runs natively. With
--make-update, make-update.exe also makes a whole update folder from the pair as two
one-file releases: the same patch, plus the digests of both releases and the check
of the folder. Medians of the rounds after a warm-up. The patches are read back by
xdelta3 -d and compared with the new file.

Run through bench/patch-run, which enters the rig and builds vcdiff-encode.exe.
"""

import argparse
import filecmp
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "delta"))
import patch_pairs  # noqa: E402

SHM = "/dev/shm/updater-patch-bench"
PAIRS = {
    "archive": lambda: patch_pairs.archive_pair(256 << 20),
    "scattered": lambda: patch_pairs.scattered_pair(64 << 20),
}
SIZE_TARGET = 1.1  # ours / xdelta3 -9
TIME_TARGET = 1.0  # ours / xdelta3


def pair_paths(name):
    folder = os.path.join(SHM, name)
    paths = {k: os.path.join(folder, k) for k in ("old", "new", "ours", "x9", "xd", "out")}
    # make-update's releases and its update folder; the releases' file is the pair's
    paths["releases"] = os.path.join(folder, "releases")
    paths["update"] = os.path.join(folder, "releases", "update")
    paths["mu"] = os.path.join(paths["update"], "gamedata", name + ".dat.vcdiff")
    return paths


def make_pair(name):
    paths = pair_paths(name)
    stamp = os.path.join(SHM, name, ".made")
    if os.path.exists(stamp):
        return paths
    print("making the %s pair in %s..." % (name, SHM), flush=True)
    os.makedirs(os.path.dirname(stamp), exist_ok=True)
    old, new = PAIRS[name]()
    for key, data in (("old", old), ("new", new)):
        with open(paths[key], "wb") as f:
            f.write(data)
    open(stamp, "w").close()
    return paths


def timed(args, ok_codes=(0,)):
    """(seconds, standard output) of a run. The output goes through a file: Wine's own
    processes, started by the first program of a prefix, inherit a pipe and hold it
    open long after the program has ended."""
    with tempfile.TemporaryFile() as out:
        started = time.monotonic()
        code = subprocess.call(args, stdout=out, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL)
        seconds = time.monotonic() - started
        out.seek(0)
        text = out.read().decode("utf-8", "replace")
    if code not in ok_codes:
        sys.exit("%s failed: %s" % (args[:2], text[-2000:]))
    return seconds, text


def win_path(path):
    return "Z:" + path.replace("/", "\\")


def ours(exe, paths):
    """(wall seconds, the writer's own seconds)"""
    wall, out = timed(["wine", exe, win_path(paths["old"]), win_path(paths["new"]),
                       win_path(paths["ours"])])
    found = re.search(r"in ([0-9.]+) s", out)
    return wall, float(found.group(1)) if found else float("nan")


def make_update_releases(paths, name):
    """old/NAME.dat and new/NAME.dat, linked to the pair's files (no copy)."""
    for side in ("old", "new"):
        folder = os.path.join(paths["releases"], side)
        os.makedirs(folder, exist_ok=True)
        link = os.path.join(folder, name + ".dat")
        if not os.path.exists(link):
            os.link(paths[side], link)


def make_update(exe, paths):
    """Wall seconds of a whole make-update run; its folder is left for the sizes."""
    shutil.rmtree(paths["update"], ignore_errors=True)
    releases = paths["releases"]
    # Any program stands in for the updater: make-update only copies it.
    args = ["wine", exe, win_path(os.path.join(releases, "old")),
            win_path(os.path.join(releases, "new")), win_path(paths["update"]),
            "--reg-path", "Bench\\Patch", "--title", "Bench", "--updater", win_path(exe)]
    return timed(args, ok_codes=(0, 1))[0]  # 1: warnings only, the folder is written


def xdelta3(paths, level, out):
    return timed(["xdelta3", "-e"] + level + ["-S", "none", "-f", "-s", paths["old"],
                                             paths["new"], paths[out]])[0]


def round_trips(paths):
    for patch in [p for p in ("ours", "x9", "mu") if os.path.exists(paths[p])]:
        timed(["xdelta3", "-d", "-f", "-s", paths["old"], paths[patch], paths["out"]])
        if not filecmp.cmp(paths["out"], paths["new"], shallow=False):
            sys.exit("xdelta3 -d of the %s patch is not the new file" % patch)
    os.remove(paths["out"])


def bench_pair(exe, make_update_exe, name, rounds):
    paths = make_pair(name)
    if make_update_exe:
        make_update_releases(paths, name)
    x9_seconds = xdelta3(paths, ["-9"], "x9")
    ours_wall, ours_own, xd, mu = [], [], [], []
    for round_number in range(rounds + 1):
        wall, own = ours(exe, paths)
        default = xdelta3(paths, [], "xd")
        made = make_update(make_update_exe, paths) if make_update_exe else float("nan")
        if round_number > 0:  # the first round warms the caches
            ours_wall.append(wall)
            ours_own.append(own)
            xd.append(default)
            mu.append(made)
    round_trips(paths)
    sizes = {k: os.path.getsize(paths[k]) for k in ("new", "ours", "x9", "xd")}
    sizes["mu"] = os.path.getsize(paths["mu"]) if make_update_exe else 0
    return {"sizes": sizes, "x9_seconds": x9_seconds,
            "ours_wall": statistics.median(ours_wall), "ours_own": statistics.median(ours_own),
            "xd": statistics.median(xd), "mu": statistics.median(mu)}


def print_table(name, r):
    s = r["sizes"]
    size_ratio = s["ours"] / s["x9"]
    time_ratio = r["ours_wall"] / r["xd"]
    print("\n%s (new file %.1f MiB)" % (name, s["new"] / 2**20))
    print("  %-28s %12s %10s" % ("", "patch bytes", "seconds"))
    print("  %-28s %12d %10.2f   (%.2f s writing, without Wine's start)"
          % ("ours (vcdiff-encode, Wine)", s["ours"], r["ours_wall"], r["ours_own"]))
    if s["mu"]:
        print("  %-28s %12d %10.2f   (the whole folder: both releases hashed, the folder checked)"
              % ("make-update (Wine)", s["mu"], r["mu"]))
    print("  %-28s %12d %10.2f" % ("xdelta3 -e -9 -S none", s["x9"], r["x9_seconds"]))
    print("  %-28s %12d %10.2f" % ("xdelta3 -e -S none", s["xd"], r["xd"]))
    print("  size ours / xdelta3 -9: %.3f (target <= %.1f) %s"
          % (size_ratio, SIZE_TARGET, "ok" if size_ratio <= SIZE_TARGET else "MISSED"))
    print("  time ours / xdelta3:    %.2f (target <= %.1f) %s; writing alone %.2f"
          % (time_ratio, TIME_TARGET, "ok" if time_ratio <= TIME_TARGET else "MISSED",
             r["ours_own"] / r["xd"]))
    print("  round trips through xdelta3 -d: every patch above gives the new file")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--make-update", help="make-update.exe, also timed on the pairs")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--pairs", default=",".join(PAIRS))
    parser.add_argument("--keep", action="store_true", help="keep the pairs in /dev/shm")
    args = parser.parse_args()
    try:
        for name in args.pairs.split(","):
            print_table(name, bench_pair(args.exe, args.make_update, name, args.rounds))
    finally:
        if not args.keep:
            shutil.rmtree(SHM, ignore_errors=True)


if __name__ == "__main__":
    main()
