"""Pairs of old and new files made to look like a game's releases, for the patch
benchmark (bench/patch.py) and the round-trip tests (tests/delta/roundtrip.py).

archive  an archive of a few thousand entries (a table of names, offsets and sizes,
         then the entries): text-like bytes with repeats inside each entry, as
         compressible data has. The new release replaces 1 % of the entries with
         entries of other sizes and inserts and deletes a few, so that everything
         after the first change shifts, and the table's offsets all change.
scattered the same kind of bytes with a few bytes changed every few KiB.
"""

import random
import struct

# Text-like bytes: 48 symbols, so that the data is compressible without repeats.
SYMBOLS = bytes(range(0x30, 0x60))
TEXT = bytes(SYMBOLS[i % len(SYMBOLS)] for i in range(256))


def entry_bytes(rng, size):
    """Fresh bytes with repeats of earlier parts of themselves."""
    out = bytearray()
    while len(out) < size:
        if len(out) > 1024 and rng.random() < 0.3:
            n = rng.randint(32, 512)
            at = rng.randrange(len(out) - n)
            out += out[at:at + n]
        else:
            out += rng.randbytes(rng.randint(64, 1024)).translate(TEXT)
    return bytes(out[:size])


def archive(entries):
    """The archive file of (name, bytes) entries."""
    table_size = 8 + 48 * len(entries)
    table, offset = [b"ARC0", struct.pack("<I", len(entries))], table_size
    for name, data in entries:
        table.append(name.ljust(32, b"\0") + struct.pack("<QQ", offset, len(data)))
        offset += len(data)
    return b"".join(table) + b"".join(data for _, data in entries)


def archive_pair(total, seed=1, replaced=0.01, inserted=5, deleted=5):
    """(old, new) archives of about `total` bytes."""
    rng = random.Random(seed)
    entries, size, number = [], 0, 0
    while size < total:
        data = entry_bytes(rng, rng.randint(4 << 10, 160 << 10))
        entries.append((b"entry%05d.dat" % number, data))
        size += len(data)
        number += 1
    new = list(entries)
    for i in rng.sample(range(len(new)), max(1, int(len(new) * replaced))):
        new[i] = (new[i][0], entry_bytes(rng, rng.randint(4 << 10, 160 << 10)))
    for _ in range(deleted):
        del new[rng.randrange(len(new))]
    for k in range(inserted):
        new.insert(rng.randrange(len(new)),
                   (b"added%03d.dat" % k, entry_bytes(rng, rng.randint(4 << 10, 160 << 10))))
    return archive(entries), archive(new)


def scattered_pair(total, seed=2, every=4096):
    """(old, new): the new file changes 1 to 8 bytes about every `every` bytes."""
    rng = random.Random(seed)
    parts, size = [], 0
    while size < total:
        parts.append(entry_bytes(rng, min(1 << 20, total - size)))
        size += len(parts[-1])
    old = b"".join(parts)
    new = bytearray(old)
    at = rng.randrange(every)
    while at < len(new) - 8:
        n = rng.randint(1, 8)
        new[at:at + n] = rng.randbytes(n)
        at += rng.randint(every // 2, every * 3 // 2)
    return old, bytes(new)
