"""A small model of a folder tree as a file system holds it: names that point to
files (inodes, several names for one file after a hard link), each file with its
bytes, the part of its bytes known to be on the disk (as of its last flush), and
whether it is read-only. Operations recorded from a real run are replayed on it to
build the trees that a power loss could leave.

Paths are relative to the installation folder, with "/" between parts.
"""

import os
import stat


class Cfile:
    """One file's contents: `data` as the program last wrote them, `flushed` as of
    its last fsync (None: never flushed since it was made), and the offsets written
    since then."""

    def __init__(self, data=b"", durable=False, read_only=False):
        self.data = bytearray(data)
        self.flushed = bytes(data) if durable else None
        self.dirty = set() if durable else set(range(len(data)))
        self.read_only = read_only

    def copy(self):
        twin = Cfile()
        twin.data = bytearray(self.data)
        twin.flushed = self.flushed
        twin.dirty = set(self.dirty)
        twin.read_only = self.read_only
        return twin

    def write(self, offset, data):
        end = offset + len(data)
        if end > len(self.data):
            self.data.extend(b"\0" * (end - len(self.data)))
        self.data[offset:end] = data
        self.dirty.update(range(offset, end))

    def truncate(self, length):
        if length < len(self.data):
            del self.data[length:]
            self.dirty = {o for o in self.dirty if o < length}
        else:
            self.dirty.update(range(len(self.data), length))
            self.data.extend(b"\0" * (length - len(self.data)))

    def flush(self):
        self.flushed = bytes(self.data)
        self.dirty = set()

    def as_of_last_flush(self):
        """What a disk that keeps only flushed data holds: the file as of its last
        flush, empty when it never was."""
        return self.flushed if self.flushed is not None else b""

    def with_unflushed_zeros(self):
        """What a disk that journals sizes but not data holds: the same length, the
        bytes written since the last flush read as zeros."""
        out = bytearray(self.data)
        for offset in self.dirty:
            out[offset] = 0
        return bytes(out)


class Ctree:
    """Names (files and folders) of a tree; files are shared between names that are
    hard links of each other."""

    def __init__(self):
        self.files = {}      # inode id -> Cfile
        self.names = {}      # path -> inode id
        self.folders = set()

    def copy(self):
        twin = Ctree()
        twin.files = {k: f.copy() for k, f in self.files.items()}
        twin.names = dict(self.names)
        twin.folders = set(self.folders)
        return twin

    def parent_exists(self, path):
        parent = os.path.dirname(path)
        return parent == "" or parent in self.folders

    def exists(self, path):
        return path in self.names or path in self.folders


def tree_from_disk(base, inode_of=None):
    """The tree of the folder `base` as it is now: every file durable. `inode_of`
    gathers (st_dev, st_ino) -> inode id, so that names that are one file stay one."""
    tree = Ctree()
    inode_of = {} if inode_of is None else inode_of
    for folder, dirs, files in os.walk(base):
        rel_folder = os.path.relpath(folder, base).replace(os.sep, "/")
        if rel_folder != ".":
            tree.folders.add(rel_folder)
        for name in files:
            path = os.path.join(folder, name)
            rel = name if rel_folder == "." else rel_folder + "/" + name
            st = os.lstat(path)
            key = (st.st_dev, st.st_ino)
            if key not in inode_of:
                inode_of[key] = "disk:%d" % st.st_ino
            inode = inode_of[key]
            if inode not in tree.files:
                with open(path, "rb") as f:
                    tree.files[inode] = Cfile(f.read(), durable=True,
                                              read_only=not st.st_mode & stat.S_IWUSR)
            tree.names[rel] = inode
    return tree


def snapshot(tree, contents):
    """The tree as a hashable value, as a reader of the disk would find it:
    (path, bytes, read-only, link group) for files, (path,) for folders.
    `contents(file)` says which bytes a file holds after the power loss."""
    groups = {}
    for path, inode in sorted(tree.names.items()):
        groups.setdefault(inode, []).append(path)
    items = []
    for path, inode in sorted(tree.names.items()):
        file = tree.files[inode]
        # Which other names are the same file: the mend asks that of two names.
        group = tuple(groups[inode]) if len(groups[inode]) > 1 else ()
        items.append((path, contents(file), file.read_only, group))
    return (tuple(items), tuple(sorted(tree.folders)))


def materialize(state, base):
    """Makes the folder `base` hold the state (from snapshot): folders, files with
    their bytes, hard links kept as hard links, read-only files without write
    permission (as Wine keeps the attribute)."""
    items, folders = state
    os.makedirs(base, exist_ok=True)
    for folder in folders:
        os.makedirs(os.path.join(base, *folder.split("/")), exist_ok=True)
    made = {}
    for path, data, read_only, group in items:
        full = os.path.join(base, *path.split("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        if group and group in made:
            os.link(made[group], full)
            continue
        with open(full, "wb") as f:
            f.write(data)
        if read_only:
            os.chmod(full, os.stat(full).st_mode & ~0o222)
        if group:
            made[group] = full


def read_back(base):
    """The folder as found after a run, in the shape of a snapshot's items (without
    link groups): {path: (bytes, read-only)}, and the set of folders."""
    files, folders = {}, set()
    for folder, dirs, names in os.walk(base):
        rel_folder = os.path.relpath(folder, base).replace(os.sep, "/")
        if rel_folder != ".":
            folders.add(rel_folder)
        for name in names:
            path = os.path.join(folder, name)
            rel = name if rel_folder == "." else rel_folder + "/" + name
            with open(path, "rb") as f:
                files[rel] = (f.read(), not os.lstat(path).st_mode & stat.S_IWUSR)
    return files, folders


def plain_view(state):
    """A snapshot as read_back gives a folder: the form the old and the new
    installation are compared in."""
    items, folders = state
    return {path: (data, read_only) for path, data, read_only, _ in items}, set(folders)
