"""CPU of a take from the station source against the sound-card (MCI) source.

sonorin.exe plays an endless 440 Hz MP3 station from 127.0.0.1 and records it by hand ("录音")
for the given time, once with each source (the "CaptureSource" setting), and once it only plays,
for reference. The process's CPU time over the take (all threads, from /proc) is printed per
minute of take and kept in build/bench/take_cpu.txt. Not a test.

    scripts/bench --take-cpu [--seconds 600]
"""

import argparse
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(HERE))

import rig  # noqa: E402
from bench import bench_environment, cpu_seconds, keep, unshared  # noqa: E402
from dropouts import playing  # noqa: E402
from test_fast_server import PORT, FastServer  # noqa: E402
from test_radio import station_list  # noqa: E402

def one_take(session, source, seconds):
    """CPU seconds per minute while the program records from `source` (None: only plays)."""
    session.write_settings({"CaptureSource": source or "SoundCard"})
    program = session.start(files=[("stations.m3u",
                                    station_list(f"http://127.0.0.1:{PORT}/live.mp3"))])
    try:
        main = session.main_window(timeout=15)
        session.wait_until(playing, 30, what="the station to play")
        if source:
            session.wait_until(lambda: session.control(main["hwnd"], "录音")["enabled"], 10,
                               what="录音 enabled")
            session.click(main["hwnd"], "录音")
            session.wait_until(lambda: session.statusbar(main["hwnd"])[1] == "正在录音", 10,
                               what="the take to run")
        time.sleep(2)
        before = cpu_seconds(program.process.pid)
        time.sleep(seconds)
        return (cpu_seconds(program.process.pid) - before) * 60 / seconds
    finally:
        program.process.kill()
        program.wait(10)
        time.sleep(1)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=600)
    args = parser.parse_args(argv[1:])
    unshared(argv)
    environment = bench_environment()
    session = rig.Rig(environment, "take-cpu")
    server = FastServer(args.seconds + 60)
    results = {}
    try:
        session.online()
        for name, source in (("station source", "Station"), ("sound card (MCI)", "SoundCard"),
                             ("playing only", None)):
            results[name] = one_take(session, source, args.seconds)
    finally:
        server.close()
        session.teardown(False)
        environment.close()

    lines = [f"CPU while recording a station for {args.seconds:.0f} s (per minute of take)"]
    lines += [f"  {name:18} {cpu:6.2f} s" for name, cpu in results.items()]
    keep(lines, "take_cpu.txt")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
