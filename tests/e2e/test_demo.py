"""scripts/run --demo without a display: the program plays its own local station, and the
run's null sink carries the sound. Watched from outside, while the run goes on."""

import array
import contextlib
import os
import re
import signal
import subprocess
import threading
from pathlib import Path

from rig import ROOT


@contextlib.contextmanager
def driving(rig, env):
    """The rig's driver helpers, aimed at another run's display and Wine prefix."""
    own = rig.environment.env
    rig.environment.env = env
    try:
        yield
    finally:
        rig.environment.env = own


def loudness(pulse_server, seconds=2):
    """The RMS (of 32768) of what the null sink carries for `seconds`."""
    env = {**os.environ, "PULSE_SERVER": pulse_server}
    raw = subprocess.run(["timeout", str(seconds + 0.5), "parec", "--device=nullsink.monitor",
                          "--raw", "--format=s16le", "--rate=44100", "--channels=2"],
                         env=env, capture_output=True).stdout
    samples = array.array("h", raw[:len(raw) // 2 * 2])
    return (sum(x * x for x in samples) / len(samples)) ** 0.5 if samples else 0.0


def in_namespace(net):
    """PIDs of the processes in the network namespace `net`."""
    found = []
    for entry in Path("/proc").iterdir():
        with contextlib.suppress(OSError):
            if entry.name.isdigit() and os.readlink(entry / "ns" / "net") == net:
                found.append(int(entry.name))
    return found


def test_demo_plays_its_local_station_into_the_null_sink(rig):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "PULSE_SERVER", "WINEPREFIX", "SONORIN_DEMO_NAMESPACE")}
    env["SONORIN_DEMO_SECONDS"] = "120"  # until this test closes the program
    run = subprocess.Popen([str(ROOT / "scripts" / "run"), "--demo"], env=env, text=True,
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT)
    lines = []
    ours = os.readlink("/proc/self/ns/net")
    net = None  # the run's own network namespace, once it is in there

    def read():
        for line in run.stdout:
            lines.append(line)

    def said(pattern):
        nonlocal net
        with contextlib.suppress(OSError):
            if run.returncode is None:  # else the number may be another process's by now
                current = os.readlink(f"/proc/{run.pid}/ns/net")
                net = current if current != ours else net
        found = next((m for line in lines if (m := re.search(pattern, line))), None)
        assert found or run.poll() is None, "scripts/run --demo ended:\n" + "".join(lines)
        return found

    threading.Thread(target=read, daemon=True).start()
    try:
        # The first run prepares the demo's prefix and makes its music: minutes.
        shown = rig.wait_until(lambda: said(r"display (:\d+) .*PULSE_SERVER=(\S+)\)"), 300,
                               interval=0.5, what="the demo's display")
        assert net, "the demo runs in the test's own network"
        demo_env = {**rig.env, "DISPLAY": shown.group(1), "PULSE_SERVER": shown.group(2),
                    "WINEPREFIX": str(ROOT / "build" / "demo-prefix")}
        with driving(rig, demo_env):
            main = rig.main_window(timeout=10)
            pane = rig.wait_until(lambda: [c["text"] for c in rig.controls(main["hwnd"])
                                           if "正在收听：中文环球" in c["text"]], 30,
                                  what="the pane to say that 中文环球 plays")
            heard = loudness(shown.group(2))
            assert heard > 300, f"the null sink carries silence (RMS {heard:.0f}); {pane}"
            rig.close(main["hwnd"])
        assert run.wait(60) == 0, "".join(lines)
        shot = re.search(r"^(/.*\.png)$", "".join(lines), re.M)
        assert shot and Path(shot.group(1)).exists(), "".join(lines)
        # Everything the run started was in its namespace: all of it is gone.
        rig.wait_until(lambda: not in_namespace(net), 10, what="the demo's processes to end")
    finally:
        if run.poll() is None:
            run.terminate()
            run.wait(30)
        for pid in in_namespace(net) if net else []:  # what a faulty run left behind
            with contextlib.suppress(OSError):
                os.kill(pid, signal.SIGKILL)


test_demo_plays_its_local_station_into_the_null_sink.timeout = 420
