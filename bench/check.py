#!/usr/bin/env python3
"""The publisher's check on large update folders: update-check.exe timed under Wine.

The folders are made once in /dev/shm/updater-check-bench:

  line-40M      update.ini with a line of '#' and 40 MiB of letters
  line-10M      the same with 10 MiB
  folders-N     gamedata with N top-level folders of one file each, none copied
                (N = 1,500, 3,000, 6,000)
  small         a clean folder: what starting Wine and the check costs

Each folder is checked --rounds times (the first run is a warm-up and is not
counted); the median wall time from start to exit is printed with the exit code
and the number of output lines. Run through bench/check-run, which enters the rig
and builds update-check.exe.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

SHM = "/dev/shm/updater-check-bench"
HEAD = (b'#REG_PATH = "Maker\\\\Game"\r\n#GAME_TITLE = "Bench"\r\n'
        b'#COPY_FILE = "a.dat"\r\n')


def make_line_folder(root, mebibytes):
    os.makedirs(os.path.join(root, "gamedata"))
    with open(os.path.join(root, "gamedata", "a.dat"), "wb") as f:
        f.write(b"a")
    with open(os.path.join(root, "update.ini"), "wb") as f:
        f.write(HEAD + b"#" + b"x" * (mebibytes << 20) + b"\r\n")


def make_folders_folder(root, count):
    os.makedirs(os.path.join(root, "gamedata"))
    with open(os.path.join(root, "gamedata", "a.dat"), "wb") as f:
        f.write(b"a")
    for i in range(count):
        folder = os.path.join(root, "gamedata", "d%05d" % i)
        os.makedirs(folder)
        with open(os.path.join(folder, "f.dat"), "wb") as f:
            f.write(b"f")
    with open(os.path.join(root, "update.ini"), "wb") as f:
        f.write(HEAD)


CASES = {
    "small": lambda root: make_folders_folder(root, 0),
    "line-10M": lambda root: make_line_folder(root, 10),
    "line-40M": lambda root: make_line_folder(root, 40),
    "folders-1500": lambda root: make_folders_folder(root, 1500),
    "folders-3000": lambda root: make_folders_folder(root, 3000),
    "folders-6000": lambda root: make_folders_folder(root, 6000),
}


def run_check(exe, folder):
    out = os.path.join(SHM, "out.txt")
    with open(out, "wb") as f:
        started = time.perf_counter()
        code = subprocess.call(["wine", exe, "Z:" + folder.replace("/", "\\")],
                               stdout=f, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        seconds = time.perf_counter() - started
    with open(out, "rb") as f:
        lines = f.read().count(b"\n")
    return seconds, code, lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--exe", required=True, help="update-check.exe to time")
    parser.add_argument("--rounds", type=int, default=3, help="timed rounds (3)")
    parser.add_argument("--cases", default=",".join(CASES))
    parser.add_argument("--keep", action="store_true", help="keep the folders in /dev/shm")
    args = parser.parse_args()
    os.makedirs(SHM, exist_ok=True)
    print("%-14s %9s %5s %7s" % ("case", "median", "exit", "lines"))
    for name in args.cases.split(","):
        root = os.path.join(SHM, name)
        if not os.path.exists(os.path.join(root, "update.ini")):
            shutil.rmtree(root, ignore_errors=True)
            CASES[name](root)
        runs = [run_check(args.exe, root) for _ in range(args.rounds + 1)][1:]
        seconds = statistics.median(r[0] for r in runs)
        print("%-14s %8.2fs %5d %7d" % (name, seconds, runs[-1][1], runs[-1][2]), flush=True)
    if not args.keep:
        shutil.rmtree(SHM, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
