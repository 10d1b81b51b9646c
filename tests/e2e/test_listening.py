"""What the user listened to: the titles a local Icecast station sends are kept, in order,
across a restart, and shown in the 最近播放 window and on the portal's page."""

import time

from test_on_air import MOUNT, Icecast
from test_radio import portal, station_list

TITLES = ["第一首 · 测试", "第二首 (现场)", "第三首 & 尾声"]


def test_the_titles_a_station_sent_are_listed_in_order_after_a_restart(rig):
    icecast = Icecast()
    try:
        icecast.start_source()
        rig.wait_until(icecast.mounted, 10, what="ffmpeg to feed the mount")
        rig.online()
        program = rig.start(files=[("stations.m3u", station_list(icecast.url(MOUNT)))])
        main = rig.main_window()
        rig.wait_until(lambda: "正在播放" in portal("/radio/now")[1], 15, what="the station")
        for title in TITLES:
            icecast.set_title(title)
            rig.wait_until(lambda: title.replace("&", "&amp;") in portal("/radio/now")[1], 10,
                           what=f"the title {title}")
        # Gone before the restart, so the new run hears no title of its own.
        icecast.kill_source()
        assert rig.stop(program, main["hwnd"]) == 0

        program = rig.launch(program.folder / "sonorin.exe")
        main = rig.main_window()
        kept = (program.folder / "最近播放.txt").read_text("utf-8").splitlines()
        assert [line.split("\t")[1:] for line in kept[-3:]] == [["中文环球", t] for t in TITLES]

        rig.menu(main["hwnd"], "1/2")  # 文件(F) → 最近播放
        window = rig.wait_window("最近播放")
        rows = rig.wait_until(lambda: rig.listview(window["hwnd"])["rows"], 5,
                              what="the list of titles")
        assert [row[1:] for row in rows[:3]] == [["中文环球", t] for t in reversed(TITLES)]
        status, page = portal("/radio/history")
        assert status == 200
        at = [page.find(t.replace("&", "&amp;")) for t in reversed(TITLES)]
        assert -1 not in at and at == sorted(at), at
        time.sleep(0.5)
        rig.screenshot("titles")
        assert rig.stop(program, main["hwnd"]) == 0
    finally:
        icecast.close()


test_the_titles_a_station_sent_are_listed_in_order_after_a_restart.timeout = 180
