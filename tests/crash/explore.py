#!/usr/bin/env python3
"""The crash explorer: what a power loss (or the updater ended in Task Manager) at
any point of a run leaves, and whether the next run puts the installation back to
exactly the old or exactly the new files.

1. One real run of the update of case.json is recorded under strace, the wineserver
   and the program both (runs.py): Wine's server opens, renames, links, removes and
   flushes, the program's process writes.
2. The calls on the installation folder become an ordered list of operations
   (extract.py); the list replayed on the tree before the run must give the tree
   the run left, or the recording missed something.
3. The trees a cut can leave are built under a model of the file system
   (models.py), identical ones counted once.
4. Each tree is put in place as the installation and the updater is run on it,
   answered No: the mend runs before the question. Afterwards the installation must
   be exactly the old or exactly the new one (bytes and the read-only attribute),
   with nothing of the run left (no update~ folder, no record), and no box but the
   question and the closing notice may have been shown.

Models: ordered, ntfs, no-journal (see models.py), and during-mend: the mending run
itself recorded on a tree cut during the swap of files and on one cut after "done",
each prefix of it checked the same way. real-cuts compares the recording with the
real thing: the program or the server killed by strace at a chosen call, the tree
it left against the tree built for the same cut (and its own trace against the
recording).

Run inside the rig (scripts/test does so):
    python3 tests/crash/explore.py --build-dir build/x64 ordered
"""

import argparse
import concurrent.futures
import hashlib
import os
import pickle
import shutil
import sys
import time

import runs
from extract import apply, extract, read_calls
from fsmodel import materialize, plain_view, read_back, snapshot, tree_from_disk
from models import MODELS, Cstates, keep_all, prefix_trees

# Runs side by side: Wine's start costs more waiting than computing.
JOBS = 2
# Seconds without any run ending before Wine counts as hung (a run takes one or two),
# and the runs of a state before a hang counts as its outcome.
HANG_SECONDS = 40
RUNS_AFTER_HANG = 3
# Under strace Wine stalls after a run now and then (about one run in three): a
# recording is tried up to this often, each stall ended by the recorder's watchdog.
RECORDING_TRIES = 5
# A run killed on a chosen call takes a few seconds (Wine's start under the tracers
# included): one that has not ended after REAL_CUT_HANG_SECONDS stalled, and is made
# again, up to REAL_CUT_TRIES times in all.
REAL_CUT_HANG_SECONDS = 20
REAL_CUT_TRIES = 3


class Cexplorer:
    def __init__(self, build_dir, out_root, jobs):
        self.case = runs.load_case()
        self.target = runs.e2e.Target(build_dir)
        self.out_root = out_root
        self.recorder = runs.Cslot("crash-record", self.target, out_root)
        self.slots = [runs.Cslot("crash-%d" % i, self.target, out_root) for i in range(jobs)]
        for slot in [self.recorder] + self.slots:
            slot.prepare(self.case)
        runs.write_registry([self.recorder] + self.slots, out_root)
        runs.stop_server()
        self.old = None
        self.new = self.new_installation()

    def new_installation(self):
        files = {rel: (runs.e2e.content_bytes(what, None), rel in self.case["new_read_only"])
                 for rel, what in self.case["new_install"].items()}
        folders = set()
        for rel in files:
            parts = rel.split("/")[:-1]
            for i in range(len(parts)):
                folders.add("/".join(parts[:i + 1]))
        return files, folders

    # Recording.
    def record(self, name, answer="yes", server_extra=(), start=None):
        """Records a run on the old installation (or on the state `start`): the tree
        before it and its operations."""
        slot = self.recorder
        slot.clear_installation()
        if start is None:
            slot.put_old_installation(self.case)
        else:
            materialize(start, slot.install)
        initial = tree_from_disk(slot.install)
        trace_dir = os.path.join(self.out_root, "trace-" + name)
        for _ in range(RECORDING_TRIES):
            problems, boxes = runs.record_run(slot, answer, trace_dir, server_extra)
            if not problems:
                break
            # Under the tracer Wine now and then stalls after the run's last change
            # (the closing notice never comes): the run is recorded again.
            print("  (the recording went wrong: %s; recording it again)" % "; ".join(problems))
            slot.clear_installation()
            materialize(snapshot(initial, keep_all), slot.install)
        if problems:
            raise RuntimeError("the recorded run (%s) went wrong: %s" % (name, "; ".join(problems)))
        ops, final = extract(trace_dir, initial, slot.install, runs.e2e.prefix())
        replayed = plain_view(snapshot(final, keep_all))
        if replayed != read_back(slot.install):
            raise RuntimeError("the operations read from the trace (%s) do not lead to the "
                               "installation the run left: the recording misses something" % name)
        return initial, ops

    # Checking.
    def check_states(self, states):
        """Runs the updater (answered No) on every state; gives {state: outcome}.
        Wine's server has been seen to spin forever under load (scripts/e2e.py,
        kill_wine): when no run ends for HANG_SECONDS, Wine is ended and the runs
        that were under way are made again."""
        results = {}
        runs.start_server()
        free = list(self.slots)
        pending = [(state, 0) for state in states]
        generation = [0]

        def check_in(slot, state):
            slot.clear_installation()
            materialize(state, slot.install)
            problems, boxes = slot.run("no")
            return self.outcome(slot, problems, boxes)

        with concurrent.futures.ThreadPoolExecutor(len(self.slots)) as pool:
            running = {}
            while pending or running:
                while pending and free:
                    slot = free.pop()
                    state, tries = pending.pop(0)
                    future = pool.submit(check_in, slot, state)
                    running[future] = (slot, state, tries, generation[0])
                done, _ = concurrent.futures.wait(running, timeout=HANG_SECONDS,
                                                  return_when="FIRST_COMPLETED")
                if not done:
                    print("  (Wine hung; ending it and running %d states again)" % len(running))
                    generation[0] += 1
                    runs.e2e.kill_wine()
                    runs.start_server()
                    continue
                for future in done:
                    slot, state, tries, born = running.pop(future)
                    free.append(slot)
                    if born != generation[0] and tries + 1 < RUNS_AFTER_HANG:
                        pending.append((state, tries + 1))
                    else:
                        results[state] = future.result()
        return results

    def outcome(self, slot, problems, boxes):
        """old, new, refused or mixed, and what was seen."""
        extra = [b for b in boxes if b not in (runs.QUESTION.replace("{install}", slot.install_win()),
                                               runs.STOPPED)]
        files, folders = read_back(slot.install)
        left = sorted(p for p in list(files) + list(folders)
                      if p.split("/")[0] in ("update~", "update~record.txt"))
        if extra or problems:
            seen = "showed %s" % " / ".join(repr(b.replace("\n", " ")) for b in extra) if extra \
                else "; ".join(problems)
            return "refused", seen + ("; left %s" % ", ".join(left) if left else "")
        if left:
            return "refused", "showed nothing but left %s" % ", ".join(left)
        if (files, folders) == self.old:
            return "old", ""
        if (files, folders) == self.new:
            return "new", ""
        return "mixed", describe_mixture(files, folders, self.old, self.new)


def describe_mixture(files, folders, old, new):
    parts = []
    for rel in sorted(set(files) | set(old[0]) | set(new[0])):
        got = files.get(rel)
        if got == old[0].get(rel) and got == new[0].get(rel):
            continue
        if got is None:
            parts.append("%s missing" % rel)
        elif got == old[0].get(rel):
            parts.append("%s old" % rel)
        elif got == new[0].get(rel):
            parts.append("%s new" % rel)
        else:
            data, read_only = got
            parts.append("%s %r%s" % (rel, data[:24], " read-only" if read_only else ""))
    for rel in sorted(folders ^ old[1]):
        if rel not in new[1]:
            parts.append("folder %s %s" % (rel, "left" if rel in folders else "missing"))
    return ", ".join(parts)


def describe_cut(cut, ops):
    text = "cut %d (%s)" % (cut["cut"], "before any operation" if cut["cut"] == 0 else
                            "after op %d: %s" % (cut["cut"] - 1, ops[cut["cut"] - 1]["what"]))
    if "lost" in cut:
        text += ", lost op %d: %s" % (cut["lost"], ops[cut["lost"]]["what"])
    return "%s %s" % (cut["model"], text)


def report(title, states, results, ops):
    """Prints the counts and every failing state; gives whether all passed."""
    counts = {"old": 0, "new": 0, "refused": 0, "mixed": 0}
    failing = []
    for state, cuts in states:
        kind, seen = results[state]
        counts[kind] += 1
        if kind in ("refused", "mixed"):
            failing.append((cuts, kind, seen))
    print("%s: %d states (%d cuts): %d old, %d new, %d refused, %d mixed" % (
        title, len(states), sum(len(c) for _, c in states), counts["old"], counts["new"],
        counts["refused"], counts["mixed"]))
    for cuts, kind, seen in failing:
        print("  %s: %s" % (kind.upper(), seen))
        for cut in cuts:
            print("      at %s" % describe_cut(cut, ops))
    return not failing


def print_operations(title, ops):
    print("%s: %d operations" % (title, len(ops)))
    for i, op in enumerate(ops):
        print("  op %2d  %-7s %s" % (i, op["who"], op["what"]))


def cached_recording(explorer, name, **kwargs):
    """A recording is made once per program build and case; the models' tests share
    it."""
    key = hashlib.sha256()
    for path in (explorer.target.exe, runs.CASE):
        with open(path, "rb") as f:
            key.update(f.read())
    key.update(repr(sorted(kwargs.items())).encode())
    path = os.path.join(explorer.out_root, "recording-%s.pickle" % name)
    if os.path.exists(path):
        with open(path, "rb") as f:
            stored = pickle.load(f)
        if stored["key"] == key.hexdigest():
            return stored["initial"], stored["ops"]
    initial, ops = explorer.record(name, **kwargs)
    with open(path, "wb") as f:
        pickle.dump({"key": key.hexdigest(), "initial": initial, "ops": ops}, f)
    return initial, ops


# Hard links refused, as on FAT32 or exFAT: the updater takes its rename-away path.
NO_LINKS = ("-e", "inject=link,linkat:error=EPERM")


def flushed_as_on_fat(initial, ops):
    """The operations with the flushes the updater adds on a volume that keeps no
    journal: each installed file renamed away is flushed right after, and every file
    the swap renamed (each target, then its old copy) before the record says "done";
    a read-only file loses the attribute for the moment of its flush. The updater
    asks the volume's file system by name (GetVolumeInformationW), and Wine names
    every volume NTFS, so the recorded run does not make them: they are put where
    the updater makes them on FAT."""
    swap = [i for i, op in enumerate(ops)
            if op["kind"] == "rename" and not op["to"].startswith("update~")]
    done_draft = next(i for i, op in enumerate(ops)
                      if i > swap[0] and op["kind"] == "create" and op["path"] == RECORD + ".new")
    tree = initial.copy()  # which file each name is, as the run goes
    out, swapped = [], []

    def add(op):
        out.append(op)
        apply(tree, op)

    for i, op in enumerate(ops):
        if i == done_draft:
            for target, old in swapped:
                for path in [p for p in (target, old) if p]:
                    for flush_op in flush_renamed(tree, path):
                        add(flush_op)
        add(op)
        if i < done_draft and op["kind"] == "rename" and not op["from"].startswith("update~"):
            for flush_op in flush_renamed(tree, op["to"]):  # an old file renamed away
                add(flush_op)
            swapped.append((None, op["to"]))
        elif i < done_draft and i in swap:
            old = next((o for t, o in swapped if t is None and o and
                        o.rsplit(".", 1)[0] == op["from"].rsplit(".", 1)[0]), None)
            swapped = [(t, o) for t, o in swapped if o != old or t is not None]
            swapped.append((op["to"], old))
    return out


def flush_renamed(tree, path):
    """The updater's flush of a renamed file, as on FAT: a read-only file cannot be
    opened for it and is made writable for that moment."""
    inode = tree.names[path]
    flush = {"kind": "fsync", "inode": inode, "what": "fsync %s" % path}
    if not tree.files[inode].read_only:
        return [as_on_fat(flush)]
    return [as_on_fat({"kind": "chmod", "inode": inode, "read_only": False,
                       "what": "make %s writable" % path}),
            as_on_fat(flush),
            as_on_fat({"kind": "chmod", "inode": inode, "read_only": True,
                       "what": "make %s read-only" % path})]


def as_on_fat(op):
    op.update({"who": "as on FAT", "call": {"name": op["kind"], "tid": "", "nth": 0}})
    return op


def explore_model(explorer, model):
    if model == "no-journal":
        initial, ops = cached_recording(explorer, "no-links", server_extra=NO_LINKS)
        ops = flushed_as_on_fat(initial, ops)
        title = "crash/no-journal (hard links refused, as on FAT)"
    else:
        initial, ops = cached_recording(explorer, "links")
        title = "crash/" + model
    explorer.old = plain_view(snapshot(initial, keep_all))
    print_operations("the recorded run", ops)
    states = MODELS[model](initial, ops)
    results = explorer.check_states([s for s, _ in states.items()])
    return report(title, states.items(), results, ops)


def mend_starts(initial, ops):
    """The cuts whose mending is recorded: right after the first file was put in place
    (undone), and right after the record saying "done" is in place (finished)."""
    first_swap = next(i for i, op in enumerate(ops)
                      if op["kind"] == "rename" and not op["to"].startswith("update~"))
    return [("during-swap", first_swap + 1), ("after-done", record_in_place(ops)[-1] + 1)]


def record_in_place(ops):
    """The operations after which a version of the record stands under its name: each
    version is written under a draft name, renamed over the record and flushed again
    under its name (the flush that follows the rename, when there is one)."""
    places = []
    for i, op in enumerate(ops):
        if op["kind"] == "rename" and op["to"] == RECORD:
            following = next((j for j in range(i + 1, len(ops))
                              if ops[j]["kind"] == "fsync" and ops[j]["what"] == "fsync " + RECORD),
                             None)
            places.append(following if following is not None else i)
        elif op["kind"] == "create" and op["path"] == RECORD:
            places.append(i)  # a record written in place
    return places


RECORD = "update~record.txt"


def explore_during_mend(explorer):
    initial, ops = cached_recording(explorer, "links")
    explorer.old = plain_view(snapshot(initial, keep_all))
    trees = prefix_trees(initial, ops)
    passed = True
    for name, cut in mend_starts(initial, ops):
        start = snapshot(trees[cut], keep_all)
        mend_initial, mend_ops = explorer.record("mend-" + name, answer="no", start=start)
        print_operations("the mending run on %s (cut %d, after op %d: %s)" % (
            name, cut, cut - 1, ops[cut - 1]["what"]), mend_ops)
        states = Cstates()
        for k, tree in enumerate(prefix_trees(mend_initial, mend_ops)):
            states.add(snapshot(tree, keep_all), {"model": "during-mend-" + name, "cut": k})
        results = explorer.check_states([s for s, _ in states.items()])
        passed = report("crash/during-mend (%s)" % name, states.items(), results, mend_ops) and passed
    return passed


def real_cut_points(ops):
    """The operations a real cut is made at, as (who is killed, op index). The
    wineserver at any of its operations: it has one thread, so strace's count of its
    calls of a name is the same in every run (the closest to a power loss at that
    operation). The program (the player ending the updater in Task Manager) at its
    flushes and attribute changes, which one thread of it makes and no other. The
    program's data writes are left out: its other threads (and the watcher's) write
    too (Wine's requests to its server are writes), and strace counts per thread."""
    points = []
    for i, op in enumerate(ops):
        if op["who"] == "server":
            points.append(("server", i))
        elif op["who"] == "program" and op["call"]["name"] in ("fsync", "fdatasync", "fchmod",
                                                               "fchmodat"):
            points.append(("program", i))
    return points


def a_few(points, count):
    """`count` of the points (all of them for 0), spread over the run: half of them
    (rounded down) where the program is killed, the rest where the server is."""
    if not count or count >= len(points):
        return points
    chosen = []
    for who, share in (("program", count // 2), ("server", count - count // 2)):
        mine = [p for p in points if p[0] == who]
        if share == 1:
            chosen += mine[:1]
        elif share > 1:
            chosen += [mine[round(i * (len(mine) - 1) / (share - 1))] for i in range(share)]
    return sorted(set(chosen), key=lambda p: p[1])


def killed_call(calls, who, name):
    """The call the injected kill came on: the one of that name that never returned,
    on the side that was killed."""
    for call in calls:
        if call["who"] == who and call["call"] == name and call["ret"] is None:
            return call
    return None


def describe_difference(left, built):
    """What a left tree has that a built one has not, name by name."""
    parts = []
    for rel in sorted(set(left[0]) | set(built[0])):
        got, want = left[0].get(rel), built[0].get(rel)
        if got == want:
            continue
        if got is None:
            parts.append("%s missing" % rel)
        elif want is None:
            parts.append("%s left (%r%s)" % (rel, got[0][:24], ", read-only" if got[1] else ""))
        elif got[0] != want[0]:
            parts.append("%s holds %r, built %r" % (rel, got[0][:24], want[0][:24]))
        else:
            parts.append("%s %s" % (rel, "read-only" if got[1] else "writable"))
    for rel in sorted(left[1] ^ built[1]):
        parts.append("folder %s %s" % (rel, "left" if rel in left[1] else "missing"))
    return ", ".join(parts) or "nothing"


def explore_real_cuts(explorer, count=0):
    """The wineserver or the program killed by strace on entering the call of an
    operation (the call is not made). The killed run's own trace must show the
    operations before it made as recorded and the kill on that call, and the tree
    left must be the tree built for the cut just before that operation. A kill that
    comes on another call is reported, and its tree must still be one of the built
    ones."""
    initial, ops = cached_recording(explorer, "links")
    explorer.old = plain_view(snapshot(initial, keep_all))
    print_operations("the recorded run", ops)
    views = [plain_view(snapshot(tree, keep_all)) for tree in prefix_trees(initial, ops)]
    slot = explorer.recorder
    unlike = missed = 0
    points = a_few(real_cut_points(ops), count)
    kinds = {who: sum(1 for w, _ in points if w == who) for who in ("program", "server")}
    for who, index in points:
        op = ops[index]
        started = time.time()
        fault = ("-e", "inject=%s:signal=SIGKILL:when=%d" % (op["call"]["name"], op["call"]["nth"]))
        trace_dir = os.path.join(explorer.out_root, "trace-real-cut")
        for attempt in range(REAL_CUT_TRIES):
            slot.clear_installation()
            slot.put_old_installation(explorer.case)
            problems, _ = runs.record_run(slot, "yes", trace_dir, fault if who == "server" else (),
                                          fault if who == "program" else (),
                                          hang_seconds=REAL_CUT_HANG_SECONDS)
            # What the killed run did, from its own trace.
            calls = read_calls(trace_dir)
            call = killed_call(calls, who, op["call"]["name"])
            if call is None:
                # Kept for a look at what went on instead.
                kept = "%s-op%d-%d" % (trace_dir, index, attempt + 1)
                shutil.rmtree(kept, ignore_errors=True)
                shutil.copytree(trace_dir, kept)
                for name in ("relay.log", "transcript.jsonl", "watcher.out"):
                    if os.path.exists(os.path.join(slot.out_dir, name)):
                        shutil.copy(os.path.join(slot.out_dir, name), kept)
                print("  (no kill on op %d: the run's traces are kept in %s)" % (index, kept))
            if call is not None or "hang" not in problems or attempt + 1 == REAL_CUT_TRIES:
                break
            # Wine stalled under the tracer before the kill came (as it does now and
            # then in a recording): the cut is made again.
            print("  (Wine stalled before the kill on op %d; cutting it again)" % index)
        left = read_back(slot.install)
        try:
            made, _ = extract(trace_dir, initial, slot.install, runs.e2e.prefix(), calls)
        except ValueError as e:
            made, trace_problem = None, str(e)
        same = 0
        while made is not None and same < min(len(made), index) and \
                made[same]["what"] == ops[same]["what"]:
            same += 1
        if call is None:
            how = "no kill"
        elif made is None:
            how = "killed; its trace cannot be read (%s)" % trace_problem
        elif same == index and (len(made) == index or made[index]["who"] != who):
            how = "killed on the op's call, after ops 0-%d as recorded" % (index - 1) \
                if index else "killed on the op's call, before any operation"
            after = made[index:]
            if after:
                how += "; then %s" % ", ".join(m["who"] + " " + m["what"] for m in after)
        else:
            how = "killed on another call (%s), after %d operations, %d of them as recorded" % (
                call["call"], len(made), same)
        built = [k for k, view in enumerate(views) if view == left]
        if index in built:
            verdict = "as built for cut %d" % index
        elif built and call is None:
            verdict = "as built for cut %d" % built[0]
        elif built:
            verdict = "as built for cut %d (the kill came at another call)" % built[0]
        else:
            verdict = "UNLIKE every built tree"
            unlike += 1
        print("  %s killed on op %d (%s): %s; the installation is %s (%.0f s)" % (
            who, index, op["what"], how, verdict, time.time() - started))
        if problems and call is None:
            print("      the run: %s" % "; ".join(problems))
        if call is None:
            missed += 1  # the cut checked nothing
        if not built:
            print("      left against cut %d: %s" % (index, describe_difference(left, views[index])))
            if made is not None:
                try:
                    replayed = plain_view(snapshot(prefix_trees(initial, made)[-1], keep_all))
                    print("      its own trace (%d operations) leads %s" % (
                        len(made), "to the tree it left" if replayed == left else
                        "elsewhere: %s" % describe_difference(left, replayed)))
                except ValueError as e:
                    print("      its own trace cannot be replayed: %s" % e)
    print("crash/real-cuts: %d cuts (%d of the program, %d of the server), %d unlike the "
          "built trees, %d without a kill" % (len(points), kinds["program"], kinds["server"],
                                              unlike, missed))
    return unlike == 0 and missed == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(runs.ROOT, "build", "x64"))
    parser.add_argument("--out", help="where results go (default: BUILD_DIR/crash-out)")
    parser.add_argument("--jobs", type=int, default=JOBS)
    parser.add_argument("model", choices=sorted(MODELS) + ["during-mend", "real-cuts"])
    parser.add_argument("--cuts", type=int, default=0,
                        help="real-cuts: this many cuts spread over the run (default: all)")
    args = parser.parse_args()
    sys.stdout.reconfigure(line_buffering=True)  # each line as it comes, under ctest too
    build_dir = os.path.abspath(args.build_dir)
    out = args.out or os.path.join(build_dir, "crash-out")
    os.makedirs(out, exist_ok=True)
    started = time.time()
    runs.use_prefix_of_its_own()
    explorer = Cexplorer(build_dir, out, args.jobs)
    try:
        if args.model == "during-mend":
            passed = explore_during_mend(explorer)
        elif args.model == "real-cuts":
            passed = explore_real_cuts(explorer, args.cuts)
        else:
            passed = explore_model(explorer, args.model)
    finally:
        runs.stop_server()
    print("(%.0f s)" % (time.time() - started))
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
