"""Reads the strace files of a recorded run (one file per thread, absolute times)
and gives the ordered operations that changed the installation folder:

    {"kind": "create", "path": P, "inode": I}     a new name for a new, empty file
    {"kind": "truncate", "inode": I, "length": N}
    {"kind": "write", "inode": I, "offset": N, "data": BYTES}
    {"kind": "fsync", "inode": I}                 the file's data is on the disk
    {"kind": "rename", "from": P, "to": P}        the target name replaced if there
    {"kind": "link", "from": P, "to": P}
    {"kind": "unlink", "path": P}
    {"kind": "mkdir", "path": P} / {"kind": "rmdir", "path": P}
    {"kind": "chmod", "inode": I, "read_only": B}

Each operation also says who did it ("server" or "program") and how it reads
("what"). Files are named by inode ids of the model (fsmodel.py), so that a write
reaches its file whatever became of its names; paths are relative to the
installation folder with "/".
"""

import glob
import os
import re

from fsmodel import Cfile, Ctree

LINE = re.compile(r"^(\d+\.\d+) (\w+)\((.*)\) += (-?\d+|0x[0-9a-fA-F]+|\?)(.*)$")
ESCAPE = re.compile(rb"\\(x[0-9a-fA-F]{2}|[0-7]{1,3}|.)")
SIMPLE_ESCAPES = {b"n": b"\n", b"t": b"\t", b"r": b"\r", b"v": b"\v", b"f": b"\f",
                  b"\\": b"\\", b'"': b'"', b"'": b"'", b"<": b"<", b">": b">", b"|": b"|",
                  b" ": b" ", b"a": b"\a", b"b": b"\b", b"e": b"\x1b"}
NAME_KINDS = ("create", "rename", "link", "unlink", "mkdir", "rmdir")


def unescape(text):
    """strace's escapes (-xx writes every byte as \\xHH) back to bytes."""
    def repl(m):
        code = m.group(1)
        if code[:1] == b"x":
            return bytes([int(code[1:], 16)])
        if code[:1].isdigit():
            return bytes([int(code, 8) & 0xFF])
        return SIMPLE_ESCAPES.get(code, code)
    return ESCAPE.sub(repl, text.encode("latin-1"))


# The pieces of strace's argument text: a quoted string (its escapes and all, perhaps
# cut short without its closing quote), a bracket or a comma, or a run of anything else.
ARGUMENT_PIECE = re.compile(r'"[^"\\]*(?:\\.[^"\\]*)*"?|[\[\]{}()<>,]|[^"\[\]{}()<>,]+', re.S)


def split_arguments(text):
    """Splits strace's argument text at its top-level commas."""
    parts, depth, current = [], 0, []
    for m in ARGUMENT_PIECE.finditer(text):
        piece = m.group(0)
        if piece == "," and depth == 0:
            parts.append("".join(current).strip())
            current = []
            continue
        if piece in ("[", "{", "(", "<"):
            depth += 1
        elif piece in ("]", "}", ")", ">"):
            depth -= 1
        current.append(piece)
    if current or parts:
        parts.append("".join(current).strip())
    return parts


def quoted_bytes(arg):
    """The bytes of a quoted string argument."""
    m = re.match(r'^"(.*)"(\.\.\.)?$', arg, re.S)
    if not m:
        return None
    return unescape(m.group(1))


def fd_path(arg):
    """The path strace -y shows for a descriptor argument: 12</a/b>."""
    m = re.match(r"^(?:-?\d+|AT_FDCWD)<(.*)>$", arg, re.S)
    if not m:
        return None
    return unescape(m.group(1)).decode("utf-8", "replace")


def fd_number(arg):
    m = re.match(r"^(-?\d+)", arg)
    return int(m.group(1)) if m else None


class Cpaths:
    """Turns the Unix paths of the prefix into paths below the installation folder."""

    def __init__(self, install, prefix):
        real_prefix = os.path.realpath(prefix)
        self.bases = []
        for base in (install, os.path.realpath(install)):
            self.bases.append(os.path.normpath(base))
            for p in (prefix, real_prefix):
                drive = os.path.join(p, "drive_c")
                if base.startswith(drive + "/"):
                    self.bases.append(os.path.normpath(
                        os.path.join(p, "dosdevices", "c:") + base[len(drive):]))
        self.bases = sorted(set(self.bases), key=len, reverse=True)

    def relative(self, path):
        if path is None:
            return None
        path = os.path.normpath(path)
        for base in self.bases:
            if path.startswith(base + "/"):
                return path[len(base) + 1:]
        return None


def joined(dir_arg, path_arg):
    """The absolute path of a (dirfd, path) pair."""
    path = quoted_bytes(path_arg)
    if path is None:
        return None
    path = path.decode("utf-8", "replace")
    if path.startswith("/"):
        return path
    base = fd_path(dir_arg) if dir_arg is not None else None
    return os.path.join(base, path) if base else None


def read_calls(trace_dir):
    """Every call of every traced thread, ordered by the time it was made."""
    calls = []
    for path in sorted(glob.glob(os.path.join(trace_dir, "server.*")) +
                       glob.glob(os.path.join(trace_dir, "program.*"))):
        who = os.path.basename(path).split(".")[0]
        tid = os.path.basename(path).split(".")[-1]
        seen = {}  # how many calls of each name the thread made: strace's count
        with open(path, encoding="latin-1") as f:
            for number, line in enumerate(f):
                m = LINE.match(line.rstrip("\n"))
                if not m:
                    continue
                seen[m.group(2)] = seen.get(m.group(2), 0) + 1
                ret = m.group(4)
                calls.append({"time": float(m.group(1)), "call": m.group(2),
                              "args": split_arguments(m.group(3)),
                              "ret": None if ret == "?" else int(ret, 0),
                              "ret_text": m.group(5), "who": who, "tid": tid,
                              "order": number, "nth": seen[m.group(2)]})
    calls.sort(key=lambda c: (c["time"], c["who"] != "server", c["tid"], c["order"]))
    return calls


class Cextractor:
    """Replays the calls on a model of the installation, naming files by inode, and
    keeps those that changed it."""

    def __init__(self, initial, paths):
        self.tree = initial.copy()
        self.paths = paths
        self.ops = []
        self.next_inode = 0
        self.positions = {}   # (tid, fd) -> offset of the next plain write
        self.appending = set()  # inodes last opened for appending
        self.unlinked = {}    # path -> inode, for writes through a removed name

    def inode_of(self, rel):
        if rel is None:
            return None
        if rel.endswith(" (deleted)"):
            return self.unlinked.get(rel[:-len(" (deleted)")])
        return self.tree.names.get(rel)

    def keep(self, call, op, what):
        op["who"] = call["who"]
        op["what"] = what
        # Which call of its thread it was, for a real cut at it (strace's inject).
        op["call"] = {"name": call["call"], "tid": call["tid"], "nth": call["nth"]}
        self.ops.append(op)
        apply(self.tree, op)

    def feed(self, call):
        if call["ret"] is None or call["ret"] < 0:
            return  # refused: nothing changed
        handler = getattr(self, "on_" + call["call"], None)
        if handler:
            handler(call, call["args"])

    # Opening: a new name, a truncation, an append.
    def on_open(self, call, args):
        self.opened(call, joined(None, args[0]), args[1])

    def on_openat(self, call, args):
        self.opened(call, joined(args[0], args[1]), args[2])

    def on_creat(self, call, args):
        self.opened(call, joined(None, args[0]), "O_CREAT|O_TRUNC|O_WRONLY")

    def opened(self, call, path, flags):
        rel = self.paths.relative(path)
        if rel is None or "O_DIRECTORY" in flags:
            return
        if rel not in self.tree.names and "O_CREAT" in flags and rel not in self.tree.folders:
            self.next_inode += 1
            self.keep(call, {"kind": "create", "path": rel, "inode": "new:%d" % self.next_inode},
                      "create %s" % rel)
        inode = self.tree.names.get(rel)
        if inode is None:
            return
        if "O_TRUNC" in flags and len(self.tree.files[inode].data) > 0:
            self.keep(call, {"kind": "truncate", "inode": inode, "length": 0},
                      "truncate %s to 0" % rel)
        if "O_APPEND" in flags:
            self.appending.add(inode)
        else:
            self.appending.discard(inode)
        for key in [k for k in self.positions if k[2] == inode]:
            del self.positions[key]

    def descriptor(self, call, arg):
        rel = self.paths.relative(fd_path(arg).replace(" (deleted)", "")) if fd_path(arg) else None
        if rel is None:
            return None, None, None
        deleted = fd_path(arg).endswith(" (deleted)")
        inode = self.inode_of(rel + (" (deleted)" if deleted else ""))
        return rel, inode, (call["tid"], fd_number(arg), inode)

    def on_ftruncate(self, call, args):
        rel, inode, _ = self.descriptor(call, args[0])
        if inode is not None:
            self.keep(call, {"kind": "truncate", "inode": inode, "length": int(args[1])},
                      "truncate %s to %s" % (rel, args[1]))

    def on_truncate(self, call, args):
        rel = self.paths.relative(joined(None, args[0]))
        inode = self.inode_of(rel)
        if inode is not None:
            self.keep(call, {"kind": "truncate", "inode": inode, "length": int(args[1])},
                      "truncate %s to %s" % (rel, args[1]))

    # Writing.
    def written(self, call, rel, inode, offset, data):
        self.keep(call, {"kind": "write", "inode": inode, "offset": offset, "data": data},
                  "write %s bytes at %d of %s" % (len(data), offset, rel))

    def on_write(self, call, args):
        rel, inode, key = self.descriptor(call, args[0])
        if inode is None:
            return
        data = quoted_bytes(args[1])[:call["ret"]]
        if inode in self.appending:
            offset = len(self.tree.files[inode].data)
        else:
            offset = self.positions.get(key, 0)
        self.positions[key] = offset + len(data)
        self.written(call, rel, inode, offset, data)

    def on_pwrite64(self, call, args):
        rel, inode, _ = self.descriptor(call, args[0])
        if inode is None:
            return
        data = quoted_bytes(args[1])[:call["ret"]]
        self.written(call, rel, inode, int(args[3]), data)

    def on_writev(self, call, args):
        rel, inode, key = self.descriptor(call, args[0])
        if inode is None:
            return
        data = b"".join(unescape(m) for m in re.findall(r'iov_base="(.*?)(?<!\\)"', args[1]))
        data = data[:call["ret"]]
        offset = len(self.tree.files[inode].data) if inode in self.appending else \
            self.positions.get(key, 0)
        self.positions[key] = offset + len(data)
        self.written(call, rel, inode, offset, data)

    def on_lseek(self, call, args):
        rel, inode, key = self.descriptor(call, args[0])
        if inode is not None:
            self.positions[key] = call["ret"]

    # Flushing.
    def on_fsync(self, call, args):
        rel, inode, _ = self.descriptor(call, args[0])
        if inode is not None:
            self.keep(call, {"kind": "fsync", "inode": inode}, "fsync %s" % rel)

    on_fdatasync = on_fsync

    # Names.
    def renamed(self, call, src, dst):
        a, b = self.paths.relative(src), self.paths.relative(dst)
        if a is None and b is None:
            return
        if a is None or b is None:
            raise ValueError("a rename across the installation's edge: %s -> %s" % (src, dst))
        self.keep(call, {"kind": "rename", "from": a, "to": b}, "rename %s -> %s" % (a, b))

    def on_rename(self, call, args):
        self.renamed(call, joined(None, args[0]), joined(None, args[1]))

    def on_renameat(self, call, args):
        self.renamed(call, joined(args[0], args[1]), joined(args[2], args[3]))

    on_renameat2 = on_renameat

    def linked(self, call, src, dst):
        a, b = self.paths.relative(src), self.paths.relative(dst)
        if a is None and b is None:
            return
        self.keep(call, {"kind": "link", "from": a, "to": b}, "link %s -> %s" % (a, b))

    def on_link(self, call, args):
        self.linked(call, joined(None, args[0]), joined(None, args[1]))

    def on_linkat(self, call, args):
        self.linked(call, joined(args[0], args[1]), joined(args[2], args[3]))

    def removed(self, call, path, folder):
        rel = self.paths.relative(path)
        if rel is None:
            return
        if folder:
            self.keep(call, {"kind": "rmdir", "path": rel}, "rmdir %s" % rel)
        else:
            self.unlinked[rel] = self.tree.names.get(rel)
            self.keep(call, {"kind": "unlink", "path": rel}, "unlink %s" % rel)

    def on_unlink(self, call, args):
        self.removed(call, joined(None, args[0]), False)

    def on_unlinkat(self, call, args):
        self.removed(call, joined(args[0], args[1]), "AT_REMOVEDIR" in args[2])

    def on_rmdir(self, call, args):
        self.removed(call, joined(None, args[0]), True)

    def made_folder(self, call, path):
        rel = self.paths.relative(path)
        if rel is not None:
            self.keep(call, {"kind": "mkdir", "path": rel}, "mkdir %s" % rel)

    def on_mkdir(self, call, args):
        self.made_folder(call, joined(None, args[0]))

    def on_mkdirat(self, call, args):
        self.made_folder(call, joined(args[0], args[1]))

    # The read-only attribute (Wine keeps it as the mode's write permission).
    def moded(self, call, rel, inode, mode_text):
        if inode is None:
            return
        read_only = not int(mode_text, 8) & 0o200
        if read_only != self.tree.files[inode].read_only:
            self.keep(call, {"kind": "chmod", "inode": inode, "read_only": read_only},
                      "make %s %s" % (rel, "read-only" if read_only else "writable"))

    def on_fchmod(self, call, args):
        rel, inode, _ = self.descriptor(call, args[0])
        self.moded(call, rel, inode, args[1])

    def on_chmod(self, call, args):
        rel = self.paths.relative(joined(None, args[0]))
        self.moded(call, rel, self.inode_of(rel), args[1])

    def on_fchmodat(self, call, args):
        rel = self.paths.relative(joined(args[0], args[1]))
        self.moded(call, rel, self.inode_of(rel), args[2])


def extract(trace_dir, initial, install, prefix, calls=None):
    """The operations of the recorded run on the installation, in order, and the
    tree they lead to (from the calls of its trace, when they were read already)."""
    extractor = Cextractor(initial, Cpaths(install, prefix))
    for call in read_calls(trace_dir) if calls is None else calls:
        extractor.feed(call)
    return extractor.ops, extractor.tree


def apply(tree, op, strict=True):
    """Carries out one operation on the tree. Not strict (an earlier operation was
    lost): an operation whose names are not there does nothing, as the system would
    refuse it."""
    kind = op["kind"]
    if "inode" in op and kind != "create":
        # A file whose making was lost still gets its bytes, under no name.
        tree.files.setdefault(op["inode"], Cfile())
    if kind == "create":
        if op["path"] in tree.names or not tree.parent_exists(op["path"]):
            return check(strict, op)
        tree.files.setdefault(op["inode"], Cfile())
        tree.names[op["path"]] = op["inode"]
    elif kind == "truncate":
        tree.files[op["inode"]].truncate(op["length"])
    elif kind == "write":
        tree.files[op["inode"]].write(op["offset"], op["data"])
    elif kind == "fsync":
        tree.files[op["inode"]].flush()
    elif kind == "chmod":
        tree.files[op["inode"]].read_only = op["read_only"]
    elif kind == "rename":
        if op["from"] in tree.folders:
            return check(strict, op)  # the updater renames files only
        if op["from"] not in tree.names or not tree.parent_exists(op["to"]) or \
                op["to"] in tree.folders:
            return check(strict, op)
        tree.names[op["to"]] = tree.names.pop(op["from"])
    elif kind == "link":
        if op["from"] not in tree.names or op["to"] in tree.names or \
                not tree.parent_exists(op["to"]):
            return check(strict, op)
        tree.names[op["to"]] = tree.names[op["from"]]
    elif kind == "unlink":
        if op["path"] not in tree.names:
            return check(strict, op)
        del tree.names[op["path"]]
    elif kind == "mkdir":
        if tree.exists(op["path"]) or not tree.parent_exists(op["path"]):
            return check(strict, op)
        tree.folders.add(op["path"])
    elif kind == "rmdir":
        inside = op["path"] + "/"
        if op["path"] not in tree.folders or any(
                p.startswith(inside) for p in list(tree.names) + list(tree.folders)):
            return check(strict, op)
        tree.folders.discard(op["path"])
    else:
        raise ValueError("unknown operation %r" % kind)
    return True


def check(strict, op):
    if strict:
        raise ValueError("the recorded operation cannot be carried out: %s" % op["what"])
    return False
