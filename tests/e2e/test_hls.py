"""An HLS station as broadcasters run them: ffmpeg writes a live list of two-second MPEG-TS
segments of AAC, a plain web server serves the folder on 127.0.0.1. The program plays it,
its sound reaches the sound card, it rides out the server going away for a while, and a
listening plan plays it at its time."""

import array
import functools
import os
import shutil
import subprocess
import tempfile
import threading
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

import datetime

from rig import ARTIFACTS
from test_on_air import follow
from test_plans import plan_time
from test_radio import portal, station_list, stop_link

HLS_PORT = 8010


def tone_share(pulse_server, seconds):
    """The share of 50 ms blocks of what the sound card plays that carry sound: segments
    joined without a gap keep it near 1."""
    raw = subprocess.run(["timeout", str(seconds + 0.5), "parec", "--device=nullsink.monitor",
                          "--raw", "--format=s16le", "--rate=44100", "--channels=2"],
                         env={**os.environ, "PULSE_SERVER": pulse_server},
                         capture_output=True).stdout
    samples = array.array("h", raw[:len(raw) // 2 * 2])
    block = 4410  # 50 ms of both channels
    blocks = [samples[i:i + block] for i in range(0, len(samples) - block + 1, block)]
    loud = sum(1 for b in blocks if max(b) - min(b) > 1000)
    return loud / len(blocks) if blocks else 0.0


class Quiet(SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class HlsStation:
    def __init__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="sonorin-hls."))
        self.log = open(ARTIFACTS / "hls-ffmpeg.log", "wb")
        self.encoder = subprocess.Popen(
            ["ffmpeg", "-nostdin", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
             "sine=frequency=440:sample_rate=44100", "-ac", "2", "-c:a", "aac", "-b:a", "96k",
             "-f", "hls", "-hls_time", "2", "-hls_list_size", "5",
             "-hls_flags", "delete_segments+omit_endlist", str(self.folder / "live.m3u8")],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        self.server = None
        self.serve()

    url = f"http://127.0.0.1:{HLS_PORT}/live.m3u8"

    def serve(self):
        handler = functools.partial(Quiet, directory=str(self.folder))
        self.server = ThreadingHTTPServer(("127.0.0.1", HLS_PORT), handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop_serving(self):
        self.server.shutdown()
        self.server.server_close()
        self.server = None

    def ready(self):
        return len(list(self.folder.glob("*.ts"))) >= 3

    def close(self):
        if self.server:
            self.stop_serving()
        self.encoder.kill()
        self.encoder.wait(5)
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def test_a_live_hls_station_plays_and_comes_back_after_its_server_went_away(rig):
    station = HlsStation()
    try:
        rig.wait_until(station.ready, 20, what="ffmpeg to write three segments")
        rig.online()
        program = rig.start(files=[("stations.m3u", station_list(station.url))])
        main = rig.main_window()
        playing = "正在收听：中文环球 · 正在播放"
        follow(rig, main, "正在播放", playing, 20, "playing")
        share = tone_share(rig.env["PULSE_SERVER"], 60)
        print(f"the tone in {share:.1%} of a minute, across 30 segments")
        assert share > 0.95, share
        # The server goes away: the tries are counted; back again, the station plays on.
        station.stop_serving()
        follow(rig, main, "（第 1 次）", "正在收听：中文环球 · 连接中断，正在重新连接…（第 1 次）",
               30, "reconnecting")
        station.serve()
        follow(rig, main, "正在播放", playing, 30, "playing again")
        assert tone_share(rig.env["PULSE_SERVER"], 3) > 0.9
        rig.screenshot("playing")
        code = rig.stop(program, main["hwnd"])
        assert code == 0, f"exit code {code:#x}"
    finally:
        station.close()


test_a_live_hls_station_plays_and_comes_back_after_its_server_went_away.timeout = 180


def test_a_plan_plays_an_hls_station_at_its_time(rig):
    station = HlsStation()
    try:
        rig.wait_until(station.ready, 20, what="ffmpeg to write three segments")
        rig.online()
        begin = datetime.datetime.now().replace(microsecond=0) + datetime.timedelta(seconds=15)
        end = begin + datetime.timedelta(minutes=1)
        plan = f"{plan_time(begin)}\t{plan_time(end)}\t中文环球\r\n".encode("gbk")
        program = rig.start(files=[("stations.m3u", station_list(station.url)),
                                   ("RadioTime.ini", plan)])
        main = rig.main_window()
        # The auto-listen plays the station first; stopped, it is the plan that plays it again.
        rig.wait_until(lambda: "正在播放" in portal("/radio/now")[1], 20, what="the auto-listen")
        assert portal(stop_link(portal("/radio")[1]))[0] == 204
        rig.wait_until(lambda: "正在播放" not in portal("/radio/now")[1], 5, what="the stop")
        rig.wait_until(lambda: "正在播放" in portal("/radio/now")[1], 40, interval=0.5,
                       what="the plan to play the station")
        assert datetime.datetime.now() >= begin - datetime.timedelta(seconds=1)
        share = tone_share(rig.env["PULSE_SERVER"], 5)
        print(f"the planned station: the tone in {share:.1%} of five seconds")
        assert share > 0.9, share
        code = rig.stop(program, main["hwnd"])
        assert code == 0, f"exit code {code:#x}"
    finally:
        station.close()


test_a_plan_plays_an_hls_station_at_its_time.timeout = 120
