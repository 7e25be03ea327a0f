"""Runs of the real updater for the crash explorer, through the end-to-end harness
(scripts/e2e.py): the update case of case.json in a few "slots" (each an updater
folder, an installation folder and a registry record of its own, so that runs can go
side by side in one Wine prefix), a run under strace that records what Wine does to
the files, and a run answered No on an installation put in a given state.
"""

import glob
import json
import os
import shutil
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import e2e  # noqa: E402

CASE = os.path.join(HERE, "case.json")
INSTALL_DIR = "game"
QUESTION = "セットアップ先 = {install}\n\nこの場所にアップデートデータを上書きします。よろしいですか？"
STOPPED = "アップデートを中断しました。"
SUCCEEDED = "アップデートは正常に終了しました。"
CAPTION = "ベロック物語"
# Seconds a run may take before the watcher gives up on it (the runs take about one).
RUN_TIMEOUT = 30
# Seconds a recorded run may take before Wine counts as hung.
RECORD_HANG_SECONDS = 90
# Seconds the rest of a run is given to end by itself after its server was killed.
KILL_GRACE_SECONDS = 2
# Seconds the server may run without a system call before it counts as stuck (it
# waits for its clients' requests in one).
SPIN_SECONDS = 3

# The calls through which Wine changes files (the wineserver opens, renames, links,
# removes and flushes; the program's process writes), and lseek for the positions of
# plain writes.
TRACED_CALLS = ("open,openat,openat2,creat,truncate,ftruncate,write,pwrite64,writev,pwritev,"
                "pwritev2,lseek,fsync,fdatasync,syncfs,sync,rename,renameat,renameat2,link,"
                "linkat,unlink,unlinkat,mkdir,mkdirat,rmdir,fchmod,fchmodat,chmod,fallocate,"
                "setxattr,fsetxattr,lsetxattr,removexattr,fremovexattr,copy_file_range,sendfile")


def load_case():
    with open(CASE, encoding="utf-8") as f:
        return json.load(f)


def use_prefix_of_its_own():
    """The explorer's runs go in a prefix of their own, made once like the project's
    (scripts/lib.sh): its wineserver is started under strace for a recording, which
    must not disturb another test's server."""
    base = os.environ["WINEPREFIX"].rstrip("/")
    if not base.endswith("-crash"):
        os.environ["WINEPREFIX"] = base + "-crash"
    lib = os.path.join(ROOT, "scripts", "lib.sh")
    subprocess.check_call(["bash", "-c", 'arch=$WINEARCH; source "$1" && WINEARCH=$arch ensure_prefix',
                           "bash", lib])


def server_listens():
    """Whether the prefix's wineserver listens (Debian's Wine keeps its socket in a
    /tmp/wine-XXXXXX folder, Wine's own in /tmp/.wine-UID)."""
    st = os.stat(e2e.prefix())
    name = "server-%x-%x/socket" % (st.st_dev, st.st_ino)
    return bool(glob.glob("/tmp/wine-*/" + name) + glob.glob("/tmp/.wine-%d/%s" % (os.getuid(), name)))


def start_server():
    """One server for runs side by side, with Wine's background programs up, so that
    no run pays for starting them."""
    subprocess.call(["wineserver", "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    e2e.run_wine(["cmd", "/c", "exit"], os.path.join(os.environ.get("TMPDIR", "/tmp"), "crash-wine.log"))


def stop_server():
    e2e.end_wine()


class Cslot:
    """An updater folder and an installation folder of its own, found through the
    registry record UpdaterCrash\\NAME."""

    def __init__(self, name, target, out_root):
        self.name = name
        self.target = target
        self.world = e2e.drive_c("e2e", name)
        self.install = os.path.join(self.world, INSTALL_DIR)
        self.out_dir = os.path.join(out_root, name)

    def install_win(self):
        return e2e.win_path("e2e", self.name, INSTALL_DIR)

    def prepare(self, case):
        """The updater's folder; the installation is put in place for each run."""
        shutil.rmtree(self.world, ignore_errors=True)
        upd = os.path.join(self.world, "updater")
        os.makedirs(upd)
        shutil.copy(self.target.exe, os.path.join(upd, "updater.exe"))
        text = "\r\n".join(case["update_ini"]).replace("{slot}", self.name) + "\r\n"
        with open(os.path.join(upd, "update.ini"), "wb") as f:
            f.write(text.encode("cp932"))
        e2e.make_tree(os.path.join(upd, "gamedata"), case["gamedata"], upd)
        e2e.make_tree(upd, case.get("plant", {}), upd)

    def registry_lines(self):
        full = self.target.software_key + "\\UpdaterCrash\\" + self.name
        values = {"exe_dir": self.install_win(), "dat_dir": self.install_win() + "\\save",
                  "dat_setup": "full"}
        lines = ["[-%s]" % full, "", "[%s]" % full]
        for name, value in values.items():
            lines.append('"%s"="%s"' % (name, value.replace("\\", "\\\\")))
        return lines + [""]

    def put_old_installation(self, case):
        self.clear_installation()
        e2e.make_tree(self.install, case["install"], self.world)
        for rel in case.get("read_only", []):
            path = os.path.join(self.install, *rel.split("/"))
            os.chmod(path, os.stat(path).st_mode & ~0o222)

    def clear_installation(self):
        if os.path.exists(self.install):
            shutil.rmtree(self.install)

    def run(self, answer, wrap=None, expect_boxes=None):
        """One run of the updater under the watcher, answering `answer`. Gives the
        harness's problems (none when the boxes were the expected ones) and the boxes
        seen (their texts)."""
        os.makedirs(self.out_dir, exist_ok=True)
        for name in ("transcript.jsonl", "relay.log"):
            if os.path.exists(os.path.join(self.out_dir, name)):
                os.remove(os.path.join(self.out_dir, name))
        boxes = [{"text": QUESTION, "caption": CAPTION, "style": "0x144", "default": 7}]
        boxes.append({"text": STOPPED if answer == "no" else SUCCEEDED, "caption": CAPTION,
                      "style": "0x40"})
        run = {"answers": [answer], "expect": {"boxes": expect_boxes or boxes,
                                               "exit_code": 0, "install": "any"}}
        if wrap:
            run["wrap"] = wrap
        scenario = {"timeout": RUN_TIMEOUT}
        problems, _ = e2e.watch_run(self.name, self.target, scenario, run, self.out_dir, False,
                                    self.world, INSTALL_DIR, None)
        return problems, self.boxes_seen()

    def boxes_seen(self):
        path = os.path.join(self.out_dir, "transcript.jsonl")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            events = [json.loads(line) for line in f if line.strip()]
        return [e["text"] for e in events if e["event"] == "box"]


def write_registry(slots, out_dir):
    """Every slot's record in one call of regedit."""
    lines = []
    for slot in slots:
        lines += slot.registry_lines()
    path = os.path.join(out_dir, "slots.reg")
    os.makedirs(out_dir, exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + e2e.reg_file_text(lines).encode("utf-16-le"))
    e2e.run_wine(["regedit", "/S", "Z:" + path.replace("/", "\\")], os.path.join(out_dir, "wine.log"))


def strace_command(out_base, extra=()):
    """strace with every thread's calls in a file of its own (no call is split in two
    lines), absolute times to merge them, descriptors with their paths, and every
    byte written in hex."""
    # Only the traced calls stop the process with a seccomp filter, which keeps the
    # traced server fast; but strace 6.13 delivers no injected signal with one.
    kills = any("signal=" in arg for arg in extra)
    return ["strace", "-ff", "-ttt", "-y", "-xx", "-s", "4194304", "-qq"] + \
        ([] if kills else ["--seccomp-bpf"]) + ["-e", "signal=none",
            "-e", "trace=" + TRACED_CALLS, "-o", out_base] + list(extra)


def in_group_of_its_own(group_file):
    """A command prefix that starts the rest of the command in a session (and a
    process group) of its own and writes its id to group_file: the run's tracer and
    every process it traces can then be ended together without ending the caller."""
    return [sys.executable, "-c",
            "import os, sys; os.setsid(); open(sys.argv[1], 'w').write(str(os.getpid())); "
            "os.execvp(sys.argv[2], sys.argv[2:])", group_file]


def process_group_in(group_file):
    try:
        with open(group_file) as f:
            return int(f.read())
    except (OSError, ValueError):
        return None


def alive(pid):
    """Whether the process has a thread that has not ended (a process whose first
    thread ended shows as a zombie while its other threads run on)."""
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return False
    for tid in tasks:
        try:
            with open("/proc/%d/task/%s/stat" % (pid, tid)) as f:
                if f.read().rsplit(")", 1)[1].split()[0] not in ("Z", "X"):
                    return True
        except (OSError, IndexError):
            pass
    return False


def my_ancestors():
    pids, pid = set(), os.getpid()
    while pid > 1:
        pids.add(pid)
        try:
            with open("/proc/%d/stat" % pid) as f:
                pid = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, ValueError, IndexError):
            break
    return pids


def run_processes(group=None):
    """The live processes of the run: those of the process group `group` and every
    process of this prefix's Wine (its server, the programs and Wine's background
    programs, and the tracers started for it). A process is known by WINEPREFIX in the
    environment of any of its threads: once its first thread has ended, a process
    shows no environment, no command line and no executable of its own, and Wine's
    programs waiting on a server that was killed are often left so."""
    want = ("WINEPREFIX=" + e2e.prefix()).encode()
    mine = my_ancestors()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) in mine or not alive(int(entry)):
            continue
        pid = int(entry)
        try:
            with open("/proc/%d/stat" % pid) as f:
                pgrp = int(f.read().rsplit(")", 1)[1].split()[2])
        except (OSError, ValueError, IndexError):
            continue
        if group is not None and pgrp == group:
            found.append(pid)
            continue
        try:
            tasks = os.listdir("/proc/%d/task" % pid)
        except OSError:
            continue
        for tid in tasks:
            try:
                with open("/proc/%d/task/%s/environ" % (pid, tid), "rb") as f:
                    env = f.read().split(b"\0")
                with open("/proc/%d/task/%s/comm" % (pid, tid), "rb") as f:
                    comm = f.read().strip()
            except OSError:
                continue
            if not env or env == [b""]:
                continue
            exe = ""
            try:
                exe = os.readlink("/proc/%d/exe" % pid)
            except OSError:
                pass
            # Wine's own processes (their executable lies in Wine's folder, or cannot be
            # read any more) and tracers; not a shell or a display that only shares
            # the variable.
            if want in env and (not exe or "/wine/" in exe or comm == b"strace"):
                found.append(pid)
            break
    return found


def comm_of(pid):
    try:
        with open("/proc/%d/comm" % pid) as f:
            return f.read().strip()
    except OSError:
        return ""


def end_run(group=None):
    """Ends every process of the run at once (see run_processes) and waits until none
    is left. The tracers are left to end by themselves when the processes they trace
    have ended (their trace files are then whole); one that does not, is ended too."""
    for attempt in range(100):
        found = run_processes(group)
        if not found:
            return True
        tracers = [pid for pid in found if comm_of(pid) == "strace"]
        for pid in found:
            if pid not in tracers or attempt >= 30:
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
        time.sleep(0.1)
    return not run_processes(group)


def server_sockets():
    st = os.stat(e2e.prefix())
    name = "server-%x-%x/socket" % (st.st_dev, st.st_ino)
    return glob.glob("/tmp/wine-*/" + name) + glob.glob("/tmp/.wine-%d/%s" % (os.getuid(), name))


def clear_prefix(group=None):
    """Ends what is left of the prefix's Wine (and of the process group `group`). A
    server that was killed leaves its socket behind: with none of the prefix's
    processes left it is removed, so that the socket seen next is a new server's (a
    program started before would find none listening and start a server of its own,
    untraced)."""
    if not end_run(group):
        raise RuntimeError("Wine's processes of %s cannot be ended" % e2e.prefix())
    for path in server_sockets():
        os.remove(path)


def start_traced_server(out_dir, extra=()):
    """Starts the prefix's wineserver under strace (after ending any other), and waits
    until it listens."""
    stop_server()
    clear_prefix()
    log = open(os.path.join(out_dir, "server-strace.log"), "wb")
    process = subprocess.Popen(strace_command(os.path.join(out_dir, "server"), extra) +
                               ["wineserver", "-f", "-p"], stdout=log, stderr=log,
                               stdin=subprocess.DEVNULL, start_new_session=True)
    for _ in range(200):
        if server_listens():
            return process
        time.sleep(0.05)
    process.kill()
    raise RuntimeError("the traced wineserver did not start (see %s)" % log.name)


def stop_traced_server(process):
    subprocess.call(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        process.send_signal(signal.SIGKILL)
        process.wait()
    stop_server()


def server_spins(tracer):
    """Whether the server that `tracer` traces runs outside any system call."""
    try:
        with open("/proc/%d/task/%d/children" % (tracer, tracer)) as f:
            server = int(f.read().split()[0])
        with open("/proc/%d/syscall" % server) as f:
            return f.read().startswith("running")
    except (OSError, ValueError, IndexError):
        return False


class Creaper:
    """Ends the rest of a run whose wineserver was killed: Wine's programs wait for
    ever on the pipes of a server that is gone (their threads sleep in a read of a
    pipe whose other end they hold themselves), and so do the program's tracer, the
    watcher and Wine's background programs. Once the server's tracer has ended (the
    server is gone), the run is given KILL_GRACE_SECONDS to end by itself, then every
    process of it is ended. It also tells (on_spin) when the server is stuck."""

    def __init__(self, server, group_file, on_spin=None):
        self.on_spin = on_spin
        self.server = server
        self.group_file = group_file
        self.stopping = threading.Event()
        self.ended = threading.Event()
        self.thread = threading.Thread(target=self.watch, daemon=True)
        self.thread.start()

    def watch(self):
        spinning_since = None
        while not self.stopping.is_set():
            # Wine's server now and then spins for ever (scripts/e2e.py, kill_wine),
            # here most often right after the question is answered: seen running outside
            # any call for SPIN_SECONDS, it is taken for stuck and the run is ended as
            # its watchdog ends it.
            if not server_spins(self.server.pid):
                spinning_since = None
            elif spinning_since is None:
                spinning_since = time.time()
            elif time.time() - spinning_since >= SPIN_SECONDS and self.on_spin:
                self.on_spin()
                return
            if self.server.poll() is not None:
                group = process_group_in(self.group_file)
                if self.stopping.wait(KILL_GRACE_SECONDS):
                    return
                self.ended.set()
                end_run(group)
                return
            self.stopping.wait(0.05)

    def stop(self):
        self.stopping.set()
        self.thread.join()


def end_everything(group_file, fired):
    """The watchdog's end of a run that hung: every process of it and of the prefix,
    after writing where each of their threads waited (hang.txt beside the traces)."""
    fired.set()
    group = process_group_in(group_file)
    with open(os.path.join(os.path.dirname(group_file), "hang.txt"), "w") as out:
        for pid in run_processes(group):
            for tid in sorted(os.listdir("/proc/%d/task" % pid) if alive(pid) else []):
                try:
                    with open("/proc/%d/task/%s/stat" % (pid, tid)) as f:
                        state = f.read().rsplit(")", 1)[1].split()[0]
                    with open("/proc/%d/task/%s/wchan" % (pid, tid)) as f:
                        wchan = f.read()
                    with open("/proc/%d/task/%s/syscall" % (pid, tid)) as f:
                        call = f.read().split(" ")[0].strip()
                except OSError:
                    continue
                out.write("%d/%s %s %s %s %s\n" % (pid, tid, comm_of(pid), state, wchan, call))
    end_run(group)


def record_run(slot, answer, out_dir, server_extra=(), program_extra=(),
               hang_seconds=RECORD_HANG_SECONDS):
    """One run of the slot's updater with both Wine processes under strace; the
    traces land in out_dir (server.TID, program.TID). Gives the problems and the
    boxes seen. A kill injected into the server (server_extra) ends the whole run
    soon after the server is gone (Creaper); a kill injected into the program ends
    the program, and the watcher and the tracer with it."""
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    group_file = os.path.join(out_dir, "program.group")
    server = start_traced_server(out_dir, server_extra)
    # Wine's server has been seen to spin forever under load (scripts/e2e.py): ended
    # after a while, or once it is seen spinning, the run reports the hang and is made
    # again by the caller.
    fired = threading.Event()
    reaper = Creaper(server, group_file, lambda: end_everything(group_file, fired))
    watchdog = threading.Timer(hang_seconds, end_everything, [group_file, fired])
    watchdog.start()
    try:
        # Wine's own background programs (services, the desktop) start with the first
        # program and live as long as the server: started untraced, so that the
        # program's tracer ends with the program.
        e2e.run_wine(["cmd", "/c", "exit"], os.path.join(out_dir, "wine.log"))
        if reaper.ended.is_set() or server.poll() is not None:
            # The server was killed before the program started: the program would
            # start a server of its own, untraced.
            return ["the server ended before the program started"] + \
                (["hang"] if fired.is_set() else []), []
        wrap = in_group_of_its_own(group_file) + \
            strace_command(os.path.join(out_dir, "program"), program_extra) + ["--"]
        problems, boxes = slot.run(answer, wrap=wrap)
        if reaper.ended.is_set():
            problems.append("the server ended during the run")
        return problems + (["hang"] if fired.is_set() else []), boxes
    finally:
        watchdog.cancel()
        watchdog.join()  # a watchdog that fired has ended what it found
        reaper.stop()
        stop_traced_server(server)
        clear_prefix(process_group_in(group_file))
