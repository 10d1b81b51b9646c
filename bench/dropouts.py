"""Drop-outs of the station player with both cores busy, against a minimal waveOut player.

sonorin.exe plays an endless 440 Hz MP3 station from 127.0.0.1 for the given time while two
busy loops keep both cores at work; then sonorin-waveplayer.exe (a tone through the same 16 x
100 ms of waveOut buffers, nothing else) plays as long under the same load. What each sends to
the sound card is recorded from the null sink's monitor, and every gap in the tone of 10 ms or
more is a drop-out. Not a test: it prints the figures and keeps them in
build/bench/dropouts.txt.

    scripts/bench --dropouts [--seconds 300]
"""

import argparse
import array
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(HERE))

import rig  # noqa: E402
from bench import bench_environment, keep, unshared  # noqa: E402
from test_fast_server import PORT, FastServer  # noqa: E402
from test_radio import portal, station_list  # noqa: E402

PLAYER = rig.BUILD / "sonorin-waveplayer.exe"
BLOCK = 441  # 10 ms at 44.1 kHz


def record(env, seconds):
    """What the null sink carries for `seconds`, as 16-bit stereo samples."""
    raw = subprocess.run(["timeout", str(seconds), "parec", "--device=nullsink.monitor", "--raw",
                          "--format=s16le", "--rate=44100", "--channels=2"],
                         env=env, capture_output=True).stdout
    return array.array("h", raw[:len(raw) // 4 * 4])


def dropouts(samples):
    """(gaps, silent ms) between the first and the last 10 ms block that carries the tone."""
    left = samples[::2]
    loud = [max(b) - min(b) > 1000
            for b in (left[i:i + BLOCK] for i in range(0, len(left) - BLOCK + 1, BLOCK))]
    if True not in loud:
        return None
    loud = loud[loud.index(True):len(loud) - loud[::-1].index(True)]
    gaps = sum(1 for i in range(1, len(loud)) if not loud[i] and loud[i - 1])
    return gaps, loud.count(False) * 10


def playing():
    try:
        return "正在播放" in portal("/radio/now")[1]
    except OSError:  # the portal is not listening yet
        return False


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=300)
    parser.add_argument("--busy", type=int, default=2, help="busy loops beside the players")
    args = parser.parse_args(argv[1:])
    unshared(argv)
    if not PLAYER.exists():
        print(f"{PLAYER} is missing: run scripts/build windows", file=sys.stderr)
        return 1

    environment = bench_environment()
    session = rig.Rig(environment, "dropouts")
    server = FastServer(args.seconds + 60)
    load = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(args.busy)]
    results = {}
    try:
        session.online()
        program = session.start(files=[("stations.m3u",
                                        station_list(f"http://127.0.0.1:{PORT}/live.mp3"))])
        session.wait_until(playing, 30, what="the station to play")
        time.sleep(2)
        results["sonorin.exe"] = dropouts(record(environment.env, args.seconds))
        program.process.kill()
        program.wait(10)

        player = subprocess.Popen(["wine", str(PLAYER), str(args.seconds + 10)],
                                  env=environment.env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        time.sleep(3)
        results["sonorin-waveplayer.exe"] = dropouts(record(environment.env, args.seconds))
        player.kill()
        player.wait(10)
    finally:
        for process in load:
            process.kill()
        server.close()
        session.teardown(False)
        environment.close()

    lines = [f"drop-outs in {args.seconds:.0f} s of playback, {args.busy} busy loops beside"]
    for name, found in results.items():
        lines.append(f"  {name:24} " + ("no tone at all" if found is None else
                                         f"{found[0]} gaps, {found[1]} ms silent"))
    keep(lines, "dropouts.txt")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
