"""Start-up and footprint of sonorin.exe against a bare window (sonorin-bare.exe).

    python3 bench/bench.py [--pairs N] [--memory-pairs N] [--idle S] [--modes offline,online]
                           [--sonorin PATH] [--bare PATH]

Both programs run under Wine in the same prefix, one after the other, in alternating pairs
after a warm-up start of each, with the wineserver kept running. For each start:

- start -> visible: from just before the process is started to the X server's MapNotify of a
  top-level window with the program's caption and the process's _NET_WM_PID;
- CPU: the process's run time (all its threads, from /proc/PID/task/*/schedstat) at that moment;
- in separate, fewer starts: private memory (Private_Clean + Private_Dirty of
  /proc/PID/smaps_rollup) and the written part of it (Private_Dirty) after S seconds idle, and
  the idle wake-ups over the last half of that time, as context switches per second of all
  threads (under Wine each timer tick costs one plus one per wineserver call its handler
  makes).

"offline": the connectivity test fails (no host answers); "online": the test's host names lead
to a web server on 127.0.0.1, so the program starts with its radio pane. Prints medians and
ratios and the goals, and keeps the report in build/bench/last.txt (and last.json).
Runs in a private network namespace of its own (root), like the end-to-end tests. --sonorin
measures another build of the program (an older one kept aside, say) against the same bare
window. --bare puts another program in the bare window's place: with an older build of
sonorin.exe there, the ratios compare the two builds directly, start by start, which sees
differences of a few per cent that the swings between separate runs hide (no goal lines
then). With build/windows/sonorin-kind.exe there (a plain window of the program's kind: its
manifest and the same kinds of controls, and the work the program must do from its start
whatever it shows: the connectivity test, the MCI capture device and the timers with their
command strings), the ratios say what the program costs beyond any window like it, and its
idle switches are those of that work with a window timer per timer (the program wakes once
for all its timers, without a timer message, so it may wake less); the goal lines are then the
ones set against it.
build/windows/sonorin-floor.exe, measured with --sonorin against sonorin-kind.exe, adds the
least of what the program must also do before its window shows (offline the hidden main
window first, and the skin's state in every window's property list): its ratios are the
floor of the program's.
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import select
import shutil
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import rig  # noqa: E402

OUT = ROOT / "build" / "bench"
PROGRAMS = {"sonorin": rig.BUILD / "sonorin.exe", "bare": rig.BUILD / "sonorin-bare.exe"}
# The goals against each reference window: start and CPU ratios, private memory beyond the
# reference, idle switches per second by mode. Against any other program there are none.
GOALS = {
    "sonorin-bare.exe": {"start": 1.15, "cpu": 1.3, "memory_mib": 8.0},
    "sonorin-kind.exe": {"start": 1.15, "cpu": 1.2,
                         "idle_per_s": {"offline": 30.0, "online": 20.0}},
}


# --- the X server's map events ------------------------------------------------------------

class MapWatcher:
    """Listens to the root window's MapNotify events on its own X connection, in a thread.
    When a window with the expected caption and process id maps, it notes the time and the
    process's CPU time at once."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display):
        x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x = x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        # A window gone before its properties are read must not end this process.
        handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
        self._on_error = handler_type(lambda display, event: 0)
        x.XSetErrorHandler(self._on_error)
        self.display = x.XOpenDisplay(display.encode())
        if not self.display:
            raise rig.RigError(f"cannot open X display {display}")
        self.atoms = {name: x.XInternAtom(self.display, name.encode(), 0)
                      for name in ("_NET_WM_NAME", "UTF8_STRING", "_NET_WM_PID", "WM_NAME")}
        x.XSelectInput(self.display, x.XDefaultRootWindow(self.display),
                       self.SUBSTRUCTURE_NOTIFY_MASK)
        x.XFlush(self.display)
        self._lock = threading.Lock()
        self._target = None
        self._found = None
        self._seen = threading.Event()
        self._stop = False
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def expect(self, pid, caption):
        with self._lock:
            self._target = (pid, caption)
            self._found = None
            self._seen.clear()

    def wait(self, timeout):
        """(seconds since monotonic epoch, CPU seconds) of the expected map, or None."""
        self._seen.wait(timeout)
        with self._lock:
            self._target = None
            return self._found

    def close(self):
        self._stop = True
        self._thread.join(2)

    def _property(self, window, name, kind):
        actual_type, actual_format = ctypes.c_ulong(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = self.x.XGetWindowProperty(
            self.display, window, self.atoms[name], 0, 1024, 0, kind, ctypes.byref(actual_type),
            ctypes.byref(actual_format), ctypes.byref(count), ctypes.byref(after),
            ctypes.byref(data))
        if status != 0 or not data.value:
            return None
        try:
            if actual_format.value == 8:
                return ctypes.string_at(data.value, count.value)
            if actual_format.value == 32 and count.value:
                return ctypes.cast(data.value, ctypes.POINTER(ctypes.c_ulong))[0]
            return None
        finally:
            self.x.XFree(data)

    def _run(self):
        event = (ctypes.c_long * 24)()
        fd = self.x.XConnectionNumber(self.display)
        while not self._stop:
            if not self.x.XPending(self.display):
                select.select([fd], [], [], 0.05)
                continue
            self.x.XNextEvent(self.display, ctypes.byref(event))
            if event[0] & 0xFFFFFFFF != self.MAP_NOTIFY:
                continue
            now = time.monotonic()
            with self._lock:
                target = self._target
            if target is None:
                continue
            window = event[5] & 0xFFFFFFFFFFFFFFFF  # XMapEvent.window
            pid = self._property(window, "_NET_WM_PID", 6)  # XA_CARDINAL
            name = self._property(window, "_NET_WM_NAME", self.atoms["UTF8_STRING"])
            if pid is not None and pid != target[0]:
                continue
            if name is None or name.decode("utf-8", "replace") != target[1]:
                continue
            cpu = cpu_seconds(target[0])
            with self._lock:
                if self._target == target and self._found is None:
                    self._found = (now, cpu)
                    self._seen.set()


# --- what /proc tells about a process ---------------------------------------------------

def _tasks(pid):
    try:
        return os.listdir(f"/proc/{pid}/task")
    except OSError:
        return []


def cpu_seconds(pid):
    """Run time of every live thread of the process (nanosecond counters)."""
    total = 0
    for task in _tasks(pid):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total / 1e9


def context_switches(pid):
    """{thread id: context switches so far}. Under Wine every call into the wineserver is
    one, so this counts a timer tick and the server calls of its handler, not just ticks."""
    counts = {}
    for task in _tasks(pid):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                counts[task] = sum(int(line.split()[1]) for line in f if line.startswith(
                    ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
        except (OSError, ValueError):
            pass
    return counts


def memory_mib(pid):
    """(private, written): the pages only this process maps, and of those the ones it has
    written (heaps, stacks, copies). The difference is clean file pages: libraries and fonts
    no other process maps, each page fault of which maps up to 16 neighbouring pages too."""
    private = written = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                private += int(line.split()[1])
            if line.startswith("Private_Dirty:"):
                written += int(line.split()[1])
    return private / 1024, written / 1024


# --- what every benchmark script shares ------------------------------------------------

def unshared(argv):
    """Runs this script again in a private network namespace (root), unless it is in one."""
    if rig.isolated():
        return
    if os.geteuid() != 0 or os.environ.get("SONORIN_BENCH_UNSHARED"):
        sys.exit("the benchmark needs a private network namespace (run it as root)")
    sys.stdout.flush()
    os.environ["SONORIN_BENCH_UNSHARED"] = "1"
    os.execvp("unshare", ["unshare", "--mount", "--net", "--", sys.executable, *argv])


def bench_environment():
    """The end-to-end rig's environment, its screenshots under build/bench (the end-to-end
    tests' folder is not ours to clear)."""
    rig.ARTIFACTS = OUT / "artifacts"
    rig.ARTIFACTS.mkdir(parents=True, exist_ok=True)
    os.environ.pop("SONORIN_RIG", None)
    return rig.Environment()


def keep(lines, name):
    """Prints the report and keeps it as build/bench/<name>."""
    text = "\n".join(lines)
    print(text)
    OUT.mkdir(parents=True, exist_ok=True)
    (OUT / name).write_text(text + "\n")


# --- the runs ---------------------------------------------------------------------------

class Bench:
    def __init__(self, environment, watcher, programs):
        self.environment = environment
        self.watcher = watcher
        self.folder = environment.drive_c / "bench"
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.exes = {}
        for name, path in programs.items():
            if not path.exists():
                raise rig.RigError(f"{path} is missing: run scripts/build windows")
            target = self.folder / PROGRAMS[name].name
            shutil.copy2(path, target)
            self.exes[name] = target
        # Written back now, the copies' pages are clean file pages in every start, not written
        # ones until the kernel gets round to them.
        os.sync()

    def _launch(self, name):
        return subprocess.Popen(["wine", str(self.exes[name])], cwd=self.folder,
                                env=self.environment.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @staticmethod
    def _end(process):
        process.kill()
        process.wait()
        time.sleep(0.3)  # let the wineserver forget the process before the next one starts

    def start_once(self, name):
        """(ms to the visible window, CPU ms by then)."""
        # The watcher must know the process id before the window can map; Popen returns
        # long before Wine has loaded the program.
        started = time.monotonic()
        process = self._launch(name)
        self.watcher.expect(process.pid, rig.CAPTION)
        try:
            found = self.watcher.wait(30)
            if found is None:
                raise rig.RigError(f"{name}: no window with the caption mapped within 30 s")
            return (found[0] - started) * 1000, found[1] * 1000
        finally:
            self._end(process)

    def idle_once(self, name, idle):
        """(private MiB, written MiB after `idle` s, wake-ups per second over its second
        half)."""
        process = self._launch(name)
        try:
            time.sleep(idle / 2)
            before = context_switches(process.pid)
            time.sleep(idle / 2)
            after = context_switches(process.pid)
            # Threads that ended meanwhile take their counts with them: new ones count whole.
            rate = sum(n - before.get(t, 0) for t, n in after.items()) / (idle / 2)
            if process.poll() is not None:
                raise rig.RigError(f"{name} ended by itself during the idle time")
            return (*memory_mib(process.pid), rate)
        finally:
            self._end(process)


def alternate(pairs, run):
    """Runs `run(name)` for both programs `pairs` times, the order swapped every pair."""
    results = {"sonorin": [], "bare": []}
    for i in range(pairs):
        order = ("sonorin", "bare") if i % 2 == 0 else ("bare", "sonorin")
        for name in order:
            results[name].append(run(name))
    return results


def summarise(mode, timed, idle):
    s = [t for t, _ in timed["sonorin"]]
    b = [t for t, _ in timed["bare"]]
    sc = [c for _, c in timed["sonorin"]]
    bc = [c for _, c in timed["bare"]]
    median = statistics.median
    result = {
        "mode": mode,
        "start_ms": {"sonorin": median(s), "bare": median(b)},
        "start_ratio": median(s) / median(b),
        "start_pair_ratio": median(x / y for x, y in zip(s, b)),
        "cpu_ms": {"sonorin": median(sc), "bare": median(bc)},
        "cpu_ratio": median(sc) / median(bc) if median(bc) else float("inf"),
        "samples": {"start_ms": {"sonorin": s, "bare": b},
                    "cpu_ms": {"sonorin": sc, "bare": bc}},
    }
    if idle:
        result["memory_mib"] = {n: median(m for m, _, _ in idle[n]) for n in idle}
        result["written_mib"] = {n: median(d for _, d, _ in idle[n]) for n in idle}
        result["wakeups_per_s"] = {n: median(w for _, _, w in idle[n]) for n in idle}
    return result


def _goal(ok):
    return "met" if ok else "NOT met"


def report(results, args, load):
    goals = GOALS.get(args.bare.name, {}) if args.sonorin.name == "sonorin.exe" else {}

    def goal(name, value, limit):
        return f"   goal <= {name}{limit:g}: {_goal(value <= limit)}" if limit is not None else ""

    lines = [f"scripts/bench {time.strftime('%Y-%m-%d %H:%M:%S UTC', time.gmtime())}: "
             f"{args.pairs} pairs, memory after {args.idle:g} s idle in {args.memory_pairs} "
             f"pairs; load average {load}"]
    for r in results:
        st, cpu = r["start_ms"], r["cpu_ms"]
        lines += [
            f"{'[' + r['mode'] + ']':<20}{'sonorin':>9}  {'bare':>9}",
            f"  start -> visible  {st['sonorin']:6.0f} ms  {st['bare']:6.0f} ms   "
            f"ratio {r['start_ratio']:.2f} (of pairs {r['start_pair_ratio']:.2f})"
            + goal("", r["start_ratio"], goals.get("start")),
            f"  CPU by then       {cpu['sonorin']:6.0f} ms  {cpu['bare']:6.0f} ms   "
            f"ratio {r['cpu_ratio']:.2f}" + goal("", r["cpu_ratio"], goals.get("cpu")),
        ]
        if "memory_mib" in r:
            m, d, w = r["memory_mib"], r["written_mib"], r["wakeups_per_s"]
            extra = m["sonorin"] - m["bare"]
            lines += [
                f"  private memory    {m['sonorin']:6.1f} MiB {m['bare']:6.1f} MiB  "
                f"{extra:+.1f} MiB" + goal("+", extra, goals.get("memory_mib")),
                f"    of it written   {d['sonorin']:6.1f} MiB {d['bare']:6.1f} MiB  "
                f"{d['sonorin'] - d['bare']:+.1f} MiB   (heaps, stacks, copies; the rest is "
                "clean file pages)",
                f"  idle switches     {w['sonorin']:6.1f} /s  {w['bare']:6.1f} /s   "
                "(timer ticks and the wineserver calls of their handlers)"
                + goal("", w["sonorin"], goals.get("idle_per_s", {}).get(r["mode"])),
            ]
    return "\n".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pairs", type=int, default=11)
    parser.add_argument("--memory-pairs", type=int, default=2)
    parser.add_argument("--idle", type=float, default=10.0)
    parser.add_argument("--modes", default="offline,online")
    parser.add_argument("--sonorin", type=Path, default=PROGRAMS["sonorin"])
    parser.add_argument("--bare", type=Path, default=PROGRAMS["bare"])
    args = parser.parse_args(argv[1:])
    args.sonorin = args.sonorin.resolve()
    args.bare = args.bare.resolve()

    unshared(argv)
    environment = bench_environment()
    watcher = None
    try:
        # A warm wineserver for every start, as a user's second program start has.
        subprocess.run(["wineserver", "-p"], env=environment.env, check=True)
        watcher = MapWatcher(environment.env["DISPLAY"])
        # Copied under the usual name: the program makes its shortcut to "sonorin.exe".
        bench = Bench(environment, watcher, {"sonorin": args.sonorin, "bare": args.bare})
        session = rig.Rig(environment, "bench")  # fresh settings, no shortcut yet
        results = []
        for mode in args.modes.split(","):
            if mode == "online":
                session.online()
            else:
                session.stop_server()
                session.set_hosts([])
            for name in PROGRAMS:
                bench.start_once(name)  # warm-up: the shortcut is made, the caches filled
            timed = alternate(args.pairs, bench.start_once)
            idle = alternate(args.memory_pairs, lambda n: bench.idle_once(n, args.idle)) \
                if args.memory_pairs > 0 else None
            results.append(summarise(mode, timed, idle))
            print(report(results[-1:], args, "").split("\n", 1)[1], flush=True)
        session.stop_server()
    finally:
        if watcher:
            watcher.close()
        environment.close()

    with open("/proc/loadavg") as f:
        load = " ".join(f.read().split()[:3])
    text = report(results, args, load)
    print(text.split("\n", 1)[0])
    OUT.mkdir(parents=True, exist_ok=True)
    (OUT / "last.txt").write_text(text + "\n")
    (OUT / "last.json").write_text(json.dumps({"load": load, "results": results}, indent=1))
    print(f"kept in {OUT / 'last.txt'}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
