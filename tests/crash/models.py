"""The trees a power loss can leave, built from the recorded operations of a run
(extract.py) under three models of the file system:

ordered     every prefix of the operations, every byte written kept: the program
            ended (Task Manager) while the system stayed up, or a file system that
            keeps everything in order.
ntfs        names kept in order (the journal), but the bytes a file got since its
            last flush may be lost: "ntfs-lost" has each file as of its last flush
            (empty when it never was), "ntfs-zeros" has its length but the unflushed
            bytes read as zeros (the size is journaled, the data is not).
no-journal  FAT32 or exFAT: names are not written in order. For every prefix, also
            every tree where one name operation (create, rename, unlink, mkdir,
            rmdir) that no later flush made durable is lost, with the attribute
            changes made through the name it gave (FAT keeps attributes in the
            directory entry). A flush is taken to write out every name operation
            before it (the file allocation table and the folders are written with
            it). Bytes written are kept. FAT has no hard links: this model is fed a
            run recorded with hard links refused.

Each state is a snapshot (fsmodel.snapshot); identical states are counted once, with
every cut that leads to it.
"""

from extract import NAME_KINDS, apply
from fsmodel import snapshot


def keep_all(file):
    return bytes(file.data)


def as_of_flush(file):
    return file.as_of_last_flush()


def unflushed_zeros(file):
    return file.with_unflushed_zeros()


class Cstates:
    """Distinct states, each with the cuts that lead to it, in order of first sight."""

    def __init__(self):
        self.by_state = {}

    def add(self, state, cut):
        self.by_state.setdefault(state, []).append(cut)

    def items(self):
        return list(self.by_state.items())

    def __len__(self):
        return len(self.by_state)


def prefix_trees(initial, ops):
    """The tree after each prefix of the operations: trees[k] has ops[:k] done."""
    tree = initial.copy()
    trees = [tree.copy()]
    for op in ops:
        apply(tree, op)
        trees.append(tree.copy())
    return trees


def ordered_states(initial, ops):
    states = Cstates()
    for k, tree in enumerate(prefix_trees(initial, ops)):
        states.add(snapshot(tree, keep_all), {"model": "ordered", "cut": k})
    return states


def ntfs_states(initial, ops):
    states = Cstates()
    for k, tree in enumerate(prefix_trees(initial, ops)):
        states.add(snapshot(tree, as_of_flush), {"model": "ntfs-lost", "cut": k})
        states.add(snapshot(tree, unflushed_zeros), {"model": "ntfs-zeros", "cut": k})
    return states


def lost_name_operations(ops, k):
    """The name operations of ops[:k] that no flush after them (within the prefix)
    made durable."""
    last_flush = max((i for i in range(k) if ops[i]["kind"] == "fsync"), default=-1)
    return [j for j in range(last_flush + 1, k) if ops[j]["kind"] in NAME_KINDS]


def lost_with(tree, ops, lost, i):
    """Whether ops[i] is lost with the lost name operation ops[lost]: FAT keeps a
    file's attributes in its directory entry, so an attribute change made after a
    rename, through the new entry, is lost when the rename is."""
    op, gone = ops[i], ops[lost]
    return (i > lost and op["kind"] == "chmod" and gone["kind"] == "rename" and
            tree.names.get(gone["from"]) == op["inode"])


def no_journal_states(initial, ops):
    states = Cstates()
    for k, tree in enumerate(prefix_trees(initial, ops)):
        states.add(snapshot(tree, keep_all), {"model": "no-journal", "cut": k})
        for lost in lost_name_operations(ops, k):
            tree = initial.copy()
            for i in range(k):
                if i != lost and not lost_with(tree, ops, lost, i):
                    apply(tree, ops[i], strict=False)
            states.add(snapshot(tree, keep_all),
                       {"model": "no-journal", "cut": k, "lost": lost})
    return states


MODELS = {"ordered": ordered_states, "ntfs": ntfs_states, "no-journal": no_journal_states}
