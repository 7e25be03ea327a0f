#!/usr/bin/env python3
"""Writes xdelta3_patches.inc: patches made by xdelta3 (3.0.11) for the patch reader's tests.

Each pair of files is made from a recipe the tests also follow (xdelta3_patches.h), so
that only the patches are kept in the repository. Every patch is checked with
`xdelta3 -d` here: it must give the new file, or be refused by xdelta3 too.

    tests/delta/make_xdelta3_patches.py      (run from anywhere; needs xdelta3)
    tests/delta/make_xdelta3_patches.py --seeds FOLDER
                                             the kept patches as files, one each (the
                                             fuzz target's seeds; no xdelta3 needed)
"""
import pathlib
import re
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent

# Pieces of a file: ("random", seed, size), ("old", offset, size) from the old file,
# ("run", byte, size), ("repeat", seed, period, size) a random pattern repeated.
PAIRS = {
    "small": (
        [("random", 1, 5000)],
        [("old", 100, 2000), ("random", 2, 50), ("old", 3000, 1500), ("run", 0x41, 700), ("old", 0, 300)],
    ),
    "added": ([], [("random", 3, 300)]),
    "repeated": ([("random", 4, 64)], [("random", 5, 20), ("repeat", 6, 7, 3000), ("run", 0, 40)]),
    "empty": ([("random", 7, 1000)], []),
    "windows": (
        [("random", 8, 200000)],
        [("old", 150000, 40000), ("random", 9, 3000), ("old", 0, 90000), ("run", 0xFF, 20000),
         ("old", 60000, 50000), ("repeat", 10, 300, 9000)],
    ),
}

# Name, pair, xdelta3's options, and what the reader must say ("" for the new file).
PATCHES = [
    ("small", "small", ["-S", "none"], ""),
    ("small_no_checksum", "small", ["-S", "none", "-n"], ""),
    ("small_no_app_header", "small", ["-S", "none", "-A"], ""),
    ("added", "added", ["-S", "none"], ""),
    ("repeated", "repeated", ["-S", "none"], ""),
    ("empty", "empty", ["-S", "none"], ""),
    ("windows", "windows", ["-S", "none", "-W", "16384"], ""),
    ("small_lzma", "small", [], "secondary_compression"),
    ("windows_lzma", "windows", ["-W", "16384"], "secondary_compression"),
]


def lcg_bytes(seed, size):
    state = seed
    out = bytearray(size)
    for i in range(size):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = (state >> 16) & 0xFF
    return bytes(out)


def make_file(recipe, old=b""):
    out = bytearray()
    for piece in recipe:
        kind = piece[0]
        if kind == "random":
            out += lcg_bytes(piece[1], piece[2])
        elif kind == "old":
            out += old[piece[1]:piece[1] + piece[2]]
        elif kind == "run":
            out += bytes([piece[1]]) * piece[2]
        elif kind == "repeat":
            pattern = lcg_bytes(piece[1], piece[2])
            out += (pattern * (piece[3] // piece[2] + 1))[:piece[3]]
    return bytes(out)


def make_patch(folder, old, new, options):
    (folder / "old").write_bytes(old)
    (folder / "new").write_bytes(new)
    patch = folder / "patch"
    subprocess.run(["xdelta3", "-e", "-f", *options, "-s", "old", "new", "patch"], cwd=folder, check=True)
    decoded = subprocess.run(["xdelta3", "-d", "-c", "-s", "old", "patch"], cwd=folder,
                             capture_output=True, check=True).stdout
    if decoded != new:
        raise SystemExit("xdelta3 -d does not give the new file back")
    return patch.read_bytes()


def cpp_recipe(recipe):
    kinds = {"random": "random", "old": "old", "run": "run", "repeat": "repeat"}
    pieces = []
    for piece in recipe:
        args = list(piece[1:]) + [0] * (4 - len(piece))
        pieces.append("{Cpiece::%s, %s}" % (kinds[piece[0]], ", ".join(str(a) for a in args)))
    return "{" + ", ".join(pieces) + "}"


def cpp_bytes(data):
    lines = []
    for i in range(0, len(data), 16):
        lines.append("        " + ", ".join("0x%02X" % b for b in data[i:i + 16]) + ",")
    return "\n".join(lines)


def write_seeds(folder):
    folder.mkdir(parents=True, exist_ok=True)
    name = None
    patch = bytearray()
    for line in (HERE / "xdelta3_patches.inc").read_text().splitlines():
        if line.startswith('{"'):
            name = line[2:line.index('"', 2)]
            patch = bytearray()
        elif line == "}},":
            (folder / (name + ".vcdiff")).write_bytes(bytes(patch))
        elif name:
            patch += bytes(int(byte, 16) for byte in re.findall(r"0x([0-9A-F]{2})", line))


def main():
    out = ["// Made by make_xdelta3_patches.py with xdelta3 3.0.11; do not edit.", ""]
    with tempfile.TemporaryDirectory() as temp:
        folder = pathlib.Path(temp)
        for name, pair, options, fault in PATCHES:
            old_recipe, new_recipe = PAIRS[pair]
            old = make_file(old_recipe)
            new = make_file(new_recipe, old)
            patch = make_patch(folder, old, new, options)
            out.append("// xdelta3 -e %s: %d bytes of patch for %d bytes" % (" ".join(options), len(patch), len(new)))
            out.append("{\"%s\", %s, %s, \"%s\", {" % (name, cpp_recipe(old_recipe), cpp_recipe(new_recipe), fault))
            out.append(cpp_bytes(patch))
            out.append("}},")
    (HERE / "xdelta3_patches.inc").write_text("\n".join(out) + "\n")


if sys.argv[1:2] == ["--seeds"]:
    write_seeds(pathlib.Path(sys.argv[2]))
else:
    main()
