"""Listening: the portal the program serves on 127.0.0.1, the auto-listen and the pane that
lists the stations under Wine, a real browser on the station page, and listening and
recording together."""

import http.client
import math
import re
import shutil
import struct
import subprocess
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from rig import ARTIFACTS
import wavtools

PORTAL_PORT = 18673
STREAM_PORT = 8000
WM_KEYDOWN, VK_RETURN = 0x0100, 0x0D


def portal(path, method="GET", host=f"127.0.0.1:{PORTAL_PORT}"):
    """(status, body) of a request to the program's portal."""
    connection = http.client.HTTPConnection("127.0.0.1", PORTAL_PORT, timeout=5)
    try:
        connection.putrequest(method, path, skip_host=True)
        connection.putheader("Host", host)
        connection.endheaders()
        response = connection.getresponse()
        return response.status, response.read().decode("utf-8", "replace")
    finally:
        connection.close()


def station_list(stream_address):
    return ("#EXTM3U\r\n"
            "#EXTINF:-1 group-title=\"新闻资讯\",中文环球\r\n" + stream_address + "\r\n"
            "#EXTINF:-1 group-title=\"新闻资讯\",北京新闻\r\n"
            "#EXTINF:-1 group-title=\"音乐\",北京音乐\r\n").encode("utf-8")


def now_playing(rig, station, timeout=5):
    """Waits until the station page marks `station` as the one played (or tried: nothing
    answers for most stations here)."""
    rig.wait_until(lambda: f'aria-current="true">{station}</a>' in portal("/radio")[1], timeout,
                   what=f"the station page to show {station} playing")


def stop_link(page):
    found = re.search(r'href="(/stop\?token=[0-9a-f]+)"', page)
    assert found, page
    return found.group(1)


def pane_list(rig, main):
    """The stand-in pane's list box (under Wine the browser control has no engine)."""
    boxes = [c for c in rig.controls(main["hwnd"]) if c["class"] == "ListBox"]
    return boxes[0] if boxes else None


def test_auto_listen_and_clicks_in_the_pane_play_through_the_portal(rig):
    rig.online()
    program = rig.start(files=[("stations.m3u", station_list("http://127.0.0.1:8000/a.mp3"))])
    main = rig.main_window()
    # The stations in the list's order under the page's group headings (the page's heading
    # and its "停止收听" stand in the pane's header, above the list).
    stations = ["新闻资讯", "中文环球", "北京新闻", "音乐", "北京音乐"]
    box = rig.wait_until(lambda: (b := pane_list(rig, main))
                         and [i.removeprefix("▶ ") for i in b["items"][-5:]] == stations
                         and b, 5, what="the stations in the pane")
    # 1.5 s after start-up the auto-listen clicks "中文环球".
    now_playing(rig, "中文环球")
    rig.screenshot("pane")

    # The pane reads the page again after the click, the station marked; then Enter on an
    # entry of the list plays that station, as a click on it does.
    marked = ["新闻资讯", "▶ 中文环球", "北京新闻", "音乐", "北京音乐"]
    rig.wait_until(lambda: pane_list(rig, main)["items"] == marked, 5,
                   what="the pane to show the page again")
    rig.select(box["parent"], "ListBox#1", "北京新闻")
    rig.post(box["hwnd"], WM_KEYDOWN, VK_RETURN, 0)
    now_playing(rig, "北京新闻")
    # The page's stop link stops it; the pane reads the page again after each click.
    status, page = portal("/radio")
    assert portal(stop_link(page))[0] == 204
    rig.wait_until(lambda: "现在没有收听电台" in portal("/radio")[1], 5, what="the stop")
    assert (program.folder / "stations.m3u").read_bytes() == \
        station_list("http://127.0.0.1:8000/a.mp3"), "the user's list was rewritten"
    assert rig.stop(program, main["hwnd"]) == 0


def test_station_page_in_a_real_browser_and_nothing_plays_without_the_token(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    now_playing(rig, "中文环球")  # from the default list the program wrote
    written = (program.folder / "stations.m3u").read_bytes().decode("utf-8")
    assert written.startswith("#EXTM3U\r\n") and written.count("#EXTINF:") == 39, written

    chromium = shutil.which("chromium")
    assert chromium, "chromium is missing (scripts/setup installs it)"
    shot = ARTIFACTS / f"{rig.name}-chromium-radio.png"
    profile = rig.environment.tmp / "chromium"
    common = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
              f"--user-data-dir={profile}"]
    url = f"http://127.0.0.1:{PORTAL_PORT}/radio"
    subprocess.run(common + [f"--screenshot={shot}", "--window-size=1024,700", url],
                   capture_output=True, timeout=90, check=True)
    assert shot.exists()
    colours = subprocess.run(["/usr/bin/convert", str(shot), "-format", "%k", "info:"],
                             capture_output=True, text=True, check=True).stdout
    assert int(colours) > 50, f"{shot} shows no page ({colours} colours)"
    dom = subprocess.run(common + ["--dump-dom", url], capture_output=True, timeout=90,
                         check=True).stdout.decode("utf-8")
    assert ">中文环球</a>" in dom and ">苏州故事</a>" in dom and "资讯" in dom, dom[:2000]

    # Play requests without this run's token, or sent to us under another name, do nothing.
    news = re.search(r'href="/play\?station=(\d+)&amp;token=[0-9a-f]+">北京新闻<', dom).group(1)
    for path, host, expected in [
            (f"/play?station={news}", f"127.0.0.1:{PORTAL_PORT}", 403),
            (f"/play?station={news}&token=00000000000000000000000000000000",
             f"127.0.0.1:{PORTAL_PORT}", 403),
            (stop_link(dom).replace("/stop", f"/play?station={news}&"), "radio.example:80", 421),
            (stop_link(dom), f"localhost:{PORTAL_PORT}", 421)]:
        assert portal(path, host=host)[0] == expected, (path, host)
    assert portal(f"/play?station={news}", method="POST")[0] == 405
    assert portal("/stations.m3u")[0] == 404
    status, page = portal("/radio")
    assert 'aria-current="true">中文环球<' in page and 'aria-current="true">北京新闻<' not in page
    assert portal("/guangbo/")[0] == 200 and portal("/")[0] == 200
    assert rig.stop(program, main["hwnd"]) == 0


class _Stream(BaseHTTPRequestHandler):
    """An endless MP3 station: the same tone, again and again."""

    def do_GET(self):
        self.server.requests.append(self.path)
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.end_headers()
        try:
            while not self.server.stopped:
                self.wfile.write(self.server.mp3)
        except OSError:
            pass

    def log_message(self, *args):
        pass


def tone_share(frames, hz=wavtools.LEFT_HZ):
    """The share of the left channel's energy at `hz` (Goertzel), 0 for silence."""
    left = [f[0] for f in frames if f]
    if not left:
        return 0.0
    coefficient = 2 * math.cos(2 * math.pi * hz / wavtools.RATE)
    s1 = s2 = 0.0
    for x in left:
        s1, s2 = x + coefficient * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - coefficient * s1 * s2
    total = sum(x * x for x in left)
    return 2 * power / (len(left) * total) if total else 0.0


def steady_tone_share(frames, block=wavtools.RATE // 10):
    """The median of the tone's share in the take's 0.1 s blocks: a dropout or two while the
    machine is busy breaks the tone's phase, which lowers its share of the whole take
    without the tone being any less there."""
    shares = sorted(tone_share(frames[i:i + block]) for i in range(0, len(frames), block))
    return shares[len(shares) // 2] if shares else 0.0


def test_listening_and_recording_the_whole_program(rig):
    tone = rig.environment.tmp / "tone.wav"
    wavtools.write_tone(tone, 10)
    mp3 = rig.environment.tmp / "tone.mp3"
    subprocess.run(["lame", "--silent", "-b", "128", str(tone), str(mp3)], check=True)
    stream = ThreadingHTTPServer(("127.0.0.1", STREAM_PORT), _Stream)
    stream.daemon_threads = True
    stream.mp3, stream.requests, stream.stopped = mp3.read_bytes(), [], False
    threading.Thread(target=stream.serve_forever, daemon=True).start()
    try:
        rig.online()
        address = f"http://127.0.0.1:{STREAM_PORT}/zhongwen.mp3"
        program = rig.start(files=[("stations.m3u", station_list(address))])
        main = rig.main_window()
        rig.wait_until(lambda: stream.requests, 5, what="the player to ask for the stream")
        now_playing(rig, "中文环球")
        time.sleep(1.0)
        takes = []
        for take in ("listening", "stopped"):
            rig.click(main["hwnd"], "录音")
            rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == "正在录音", 5,
                           what="the recording indicator")
            time.sleep(3.0)
            rig.click(main["hwnd"], "停止")
            dialog = rig.wait_window("保存录音文件", timeout=10)
            box = [c for c in rig.controls(dialog["hwnd"])
                   if c["class"] == "Edit" and c["visible"]][0]
            target = program.folder / "录音文件" / f"{take}.wav"
            rig.set_text(dialog["hwnd"], box["id"],
                         "C:\\e2e\\" + rig.name + "\\录音文件\\" + target.name)
            rig.click_id(dialog["hwnd"], 1)
            rig.wait_until(lambda: target.exists() and target.stat().st_size > 44, 10,
                           what=f"the {take} take")
            time.sleep(0.6)
            takes.append(wavtools.read_wav(target)[3])
            if take == "listening":
                rig.screenshot("listening")
                assert portal(stop_link(portal("/radio")[1]))[0] == 204
                time.sleep(0.5)
        heard, silence = steady_tone_share(takes[0]), tone_share(takes[1])
        assert heard > 0.3, f"the tone is not in the take ({heard:.3f} of its energy)"
        assert silence < 0.05, f"the station still played after the stop ({silence:.3f})"
        assert rig.stop(program, main["hwnd"]) == 0
    finally:
        stream.stopped = True
        stream.shutdown()
        stream.server_close()


test_listening_and_recording_the_whole_program.timeout = 180
test_station_page_in_a_real_browser_and_nothing_plays_without_the_token.timeout = 240


LONG_NAME = "一个名字很长很长的电台，它的名字比窗口宽得多，还要再长一些"
BM_CLICK = 0x00F5


def test_the_station_list_stays_under_the_pointer_and_the_stop_keeps_its_place(rig):
    from test_dpi import at_dpis
    at_dpis(rig, header_keeps_the_list_in_place)


test_the_station_list_stays_under_the_pointer_and_the_stop_keeps_its_place.timeout = 240


def header_keeps_the_list_in_place(rig, dpi):
    rig.online()
    stations = station_list("http://127.0.0.1:8000/a.mp3") + (
        "#EXTINF:-1 group-title=\"音乐\"," + LONG_NAME + "\r\n").encode("utf-8")
    program = rig.start(files=[("stations.m3u", stations)])
    main = rig.main_window(timeout=10)
    names = ["新闻资讯", "中文环球", "北京新闻", "音乐", "北京音乐", LONG_NAME]
    rig.wait_until(lambda: (b := pane_list(rig, main)) and "▶ 中文环球" in b["items"], 10,
                   what="the auto-listen marked in the pane")
    before = pane_list(rig, main)
    assert [i.removeprefix("▶ ") for i in before["items"]] == names, before["items"]

    def stop_button():
        found = [c for c in rig.controls(main["hwnd"]) if c["class"] == "Button"
                 and c["text"] == "停止收听" and c["visible"] and c["parent"] == before["parent"]]
        return found[0] if found else None

    # The long name makes the now-playing line longer than the window is wide: the list
    # stays where it was, the stop at the line's end.
    rig.select(before["parent"], "ListBox#1", LONG_NAME)
    rig.post(before["hwnd"], WM_KEYDOWN, VK_RETURN, 0)
    now_playing(rig, LONG_NAME)
    rig.wait_until(lambda: "▶ " + LONG_NAME in pane_list(rig, main)["items"], 5,
                   what="the long name marked")
    stop = rig.wait_until(stop_button, 5, what="the stop in the header")
    rig.screenshot(f"header-{dpi}dpi")
    playing = pane_list(rig, main)
    assert (playing["top"], playing["height"]) == (before["top"], before["height"]), \
        (before, playing)
    assert playing["selected"] == before["items"].index(LONG_NAME), playing
    lines = [c for c in rig.controls(main["hwnd"])
             if c["class"] == "Static" and c["parent"] == before["parent"]]
    line = [c for c in lines if "收听：" + LONG_NAME in c["text"]]
    assert line, lines
    # The line cut off with "…" shows whole in its tool tip.
    x, y = line[0]["left"] + line[0]["width"] // 2, line[0]["top"] + line[0]["height"] // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x - 5), str(y), "mousemove", "--sync",
                    str(x), str(y)], env=rig.env, check=True)
    rig.wait_until(lambda: [t for t in rig.windows(window_class="tooltips_class32")
                            if t["width"] > line[0]["width"]], 5, what="the line's tool tip")
    rig.screenshot(f"header-{dpi}dpi-tip")
    subprocess.run(["xdotool", "mousemove", "0", "0"], env=rig.env, check=True)
    # The stop lies inside the window, beside the line, and stops the station.
    window = [w for w in rig.windows() if w["hwnd"] == main["hwnd"]][0]
    assert stop["left"] + stop["width"] <= window["client_right"], (stop, window)
    rig.post(stop["hwnd"], BM_CLICK)
    rig.wait_until(lambda: "现在没有收听电台" in portal("/radio")[1], 5, what="the stop")
    rig.wait_until(lambda: not stop_button(), 5, what="the stop to go")
    rig.screenshot(f"header-{dpi}dpi-stopped")
    after = pane_list(rig, main)
    assert (after["top"], after["height"]) == (before["top"], before["height"]), (before, after)
    assert rig.stop(program, main["hwnd"]) == 0
