#!/usr/bin/env python3
"""The patch writer (vcdiff-encode.exe under Wine) on generated pairs, each patch read
back by xdelta3 -d, which must give the new file exactly; the patch must be no larger
than 1.1 times xdelta3 -e -9's for the same pair (or than the bound a case names).

    roundtrip.py --build-dir DIR

Run inside the rig, where xdelta3 is installed (scripts/test does so through ctest).
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import patch_pairs  # noqa: E402

WINDOW_MIB = 1  # small windows, so that the pairs span several


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(args):
    """(exit code, output) of a run. The output goes through a file: Wine's own
    processes, started by the first program of a prefix, inherit a pipe and hold it
    open long after the program has ended."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.call(args, stdout=out, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL)
        out.seek(0)
        return code, out.read().decode("utf-8", "replace")[-2000:]


def cases():
    rng = random.Random(7)
    unrelated = rng.randbytes(300000)
    archive_old, archive_new = patch_pairs.archive_pair(6 << 20)
    scattered_old, scattered_new = patch_pairs.scattered_pair(3 << 20, every=1024)
    # name, old, new, the largest patch allowed (None: 1.1 times xdelta3 -9's)
    return [
        ("archive", archive_old, archive_new, None),
        ("scattered", scattered_old, scattered_new, None),
        ("equal", archive_old, archive_old, 1000),
        ("empty old", b"", archive_new[:2 << 20], None),
        ("empty new", archive_old, b"", 100),
        ("unrelated", archive_old[:300000], unrelated, 300000 + 1000),
    ]


def run_case(exe, folder, name, old, new, bound):
    paths = {k: os.path.join(folder, k) for k in ("old", "new", "patch", "out", "x9")}
    for key, data in (("old", old), ("new", new)):
        with open(paths[key], "wb") as f:
            f.write(data)
    code, output = run(["wine", exe, win_path(paths["old"]), win_path(paths["new"]),
                        win_path(paths["patch"]), str(WINDOW_MIB)])
    if code != 0:
        return "vcdiff-encode failed (%d): %s" % (code, output)
    subprocess.check_call(["xdelta3", "-e", "-9", "-S", "none", "-f", "-s", paths["old"],
                           paths["new"], paths["x9"]])
    decode_code, decode_output = run(["xdelta3", "-d", "-f", "-s", paths["old"], paths["patch"],
                                      paths["out"]])
    size, x9 = os.path.getsize(paths["patch"]), os.path.getsize(paths["x9"])
    bound = bound if bound is not None else int(x9 * 1.1)
    print("%-10s new %9d  ours %8d  xdelta3 -9 %8d" % (name, len(new), size, x9), flush=True)
    if decode_code != 0:
        return "xdelta3 -d refused the patch: " + decode_output
    with open(paths["out"], "rb") as f:
        if f.read() != new:
            return "xdelta3 -d made another file than the new one"
    if size > bound:
        return "the patch has %d bytes, more than %d" % (size, bound)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    args = parser.parse_args()
    exe = os.path.join(args.build_dir, "tests", "vcdiff-encode.exe")
    faults = []
    with tempfile.TemporaryDirectory(prefix="vcdiff-roundtrip-") as folder:
        for name, old, new, bound in cases():
            fault = run_case(exe, folder, name, old, new, bound)
            if fault:
                faults.append("%s: %s" % (name, fault))
    for fault in faults:
        print("FAIL", fault)
    print("round trips: %d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
