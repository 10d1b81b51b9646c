"""What the user listened to: the titles a local Icecast station sends are kept, in order,
across a restart, and shown in the 最近播放 window and on the portal's page; the tray menu
plays a station played before."""

import re
import time

from rig import CAPTION
from test_on_air import MOUNT, Icecast
from test_radio import now_playing, portal, stop_link
from test_tray_about import tray_icons

TRAY_MESSAGE, WM_RBUTTONUP = 2025, 0x0205
TITLES = ["第一首 · 测试", "第二首 (现场)", "第三首 & 尾声"]


def stations(icecast):
    # The auto-listen's station answers nowhere; the music plays from Icecast.
    return ("#EXTM3U\r\n#EXTINF:-1,中文环球\r\nhttp://127.0.0.1:9/none.mp3\r\n"
            "#EXTINF:-1,北京音乐\r\n" + icecast.url(MOUNT) + "\r\n").encode("utf-8")


def play_link(page, station):
    found = re.search(r'href="(/play\?station=\d+&amp;token=[0-9a-f]+)"[^>]*>' + station, page)
    assert found, page
    return found.group(1).replace("&amp;", "&")


def html(text):
    return text.replace("&", "&amp;")


def test_titles_heard_are_kept_across_a_restart_and_the_tray_plays_a_recent_station(rig):
    icecast = Icecast()
    try:
        icecast.start_source()
        rig.wait_until(icecast.mounted, 10, what="ffmpeg to feed the mount")
        rig.online()
        program = rig.start(files=[("stations.m3u", stations(icecast))])
        main = rig.main_window()
        now_playing(rig, "中文环球")  # the auto-listen, tried
        assert portal(play_link(portal("/radio")[1], "北京音乐"))[0] == 204
        rig.wait_until(lambda: "北京音乐</b> · 正在播放" in portal("/radio/now")[1], 15,
                       what="the station")
        for title in TITLES:
            icecast.set_title(title)
            rig.wait_until(lambda: html(title) in portal("/radio/now")[1], 10,
                           what=f"the title {title}")
        # Gone before the restart, so the new run hears no title of its own.
        icecast.kill_source()
        assert rig.stop(program, main["hwnd"]) == 0

        program = rig.launch(program.folder / "sonorin.exe")
        main = rig.main_window()
        kept = (program.folder / "最近播放.txt").read_text("utf-8").splitlines()
        assert [line.split("\t")[1:] for line in kept[-3:]] == [["北京音乐", t] for t in TITLES]

        rig.menu(main["hwnd"], "1/2")  # 文件(F) → 最近播放
        window = rig.wait_window("最近播放")
        rows = rig.wait_until(lambda: rig.listview(window["hwnd"])["rows"], 5,
                              what="the list of titles")
        assert [row[1:] for row in rows[:3]] == [["北京音乐", t] for t in reversed(TITLES)]
        status, page = portal("/radio/history")
        assert status == 200
        at = [page.find(html(t)) for t in reversed(TITLES)]
        assert -1 not in at and at == sorted(at), at
        time.sleep(0.5)
        rig.screenshot("titles")
        rig.close(window["hwnd"])

        # Nothing plays; the tray menu's first entry is the station played last.
        now_playing(rig, "中文环球")
        assert portal(stop_link(portal("/radio")[1]))[0] == 204
        rig.wait_until(lambda: "现在没有收听电台" in portal("/radio/now")[1], 5, what="the stop")
        rig.minimize(main["hwnd"])
        rig.wait_until(lambda: not rig.windows(CAPTION), 5, what="the main window to go")
        rig.wait_until(lambda: tray_icons(rig), 5, what="the tray icon")
        # The icon's right click, as the notification area reports it (WM_RBUTTONUP).
        rig.post(main["hwnd"], TRAY_MESSAGE, 0, WM_RBUTTONUP)
        rig.wait_until(lambda: rig.windows(window_class="#32768"), 5, what="the tray menu")
        rig.screenshot("tray-menu")
        rig.popup(1)
        now_playing(rig, "北京音乐")
        assert rig.stop(program, main["hwnd"]) == 0
    finally:
        icecast.close()


test_titles_heard_are_kept_across_a_restart_and_the_tray_plays_a_recent_station.timeout = 180
