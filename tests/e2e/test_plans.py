"""Listening plans as a user meets them: a plan added through the plan window, saved in
RadioTime.ini, firing on the next start, and edited through the context menu."""

import datetime

from rig import CAPTION, FORM_CLASS, IDOK
from test_radio import now_playing, portal, stop_link

PLAN_CAPTION = "定时收听设置_星澜网络收音机"


def plan_time(t):
    return f"{t.hour}:{t.minute:02d}:{t.second:02d}"


def open_plan_window(rig, main):
    rig.wait_until(lambda: rig.control(main["hwnd"], "定时1")["enabled"], what="定时1 enabled")
    rig.click(main["hwnd"], "定时1")
    return rig.wait_window(PLAN_CAPTION)


def add_plan(rig, window, start, duration, station):
    for n, part in enumerate((str(start.hour), f"{start.minute:02d}", f"{start.second:02d}")):
        rig.set_text(window, f"ComboBox#{n + 1}", part)
    rig.select(window, "ComboBox#4", duration)
    rig.select(window, "ComboBox#5", station)
    rig.click(window, "添加")


def rows(rig, window, count):
    """The plan list's rows once it holds `count` of them."""
    found = rig.wait_until(lambda: (lambda r: [r] if len(r) == count else None)(
        rig.listview(window)["rows"]), what=f"{count} rows in the plan list")
    return found[0]


def test_a_plan_added_in_the_window_is_saved_and_fires_on_the_next_start(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    plan = open_plan_window(rig, main)["hwnd"]
    assert rows(rig, plan, 0) == []

    begin = datetime.datetime.now().replace(microsecond=0) + datetime.timedelta(seconds=40)
    end = begin + datetime.timedelta(minutes=1)
    add_plan(rig, plan, begin, "1分钟", "中文环球")
    add_plan(rig, plan, datetime.time(23, 50, 0), "30分钟", "英国BBC")
    add_plan(rig, plan, datetime.time(7, 0, 0), "不确定", "美国之音")
    expected = [[plan_time(begin), plan_time(end), "中文环球"],
                ["23:50:00", "0:20:00", "英国BBC"], ["7:00:00", "不确定", "美国之音"]]
    assert not rig.msgboxes()
    got = rows(rig, plan, 3)
    assert got == expected, got
    rig.screenshot("plan-window")

    ini = program.folder / "RadioTime.ini"
    assert not ini.exists(), "adding plans does not write the file"
    rig.close(plan)
    saved = "".join("\t".join(row) + "\r\n" for row in expected).encode("gbk")
    rig.wait_until(lambda: ini.exists() and ini.read_bytes() == saved, what="RadioTime.ini")
    assert rig.stop(program, main["hwnd"]) == 0
    assert ini.read_bytes() == saved

    # The next start reads the file; hidden, the main window comes back when the plan fires
    # and the plan's station plays. The auto-listen's station is stopped first.
    program = rig.start()
    main = rig.main_window()
    now_playing(rig, "中文环球")
    assert portal(stop_link(portal("/radio")[1]))[0] == 204
    rig.wait_until(lambda: "现在没有收听电台" in portal("/radio")[1], 5, what="the stop")
    rig.hide(main["hwnd"])
    assert main["hwnd"] not in [w["hwnd"] for w in rig.windows(CAPTION, FORM_CLASS)]
    wait = (begin - datetime.datetime.now()).total_seconds() + 10
    assert wait > 12, "the program took too long to start again"
    rig.wait_until(lambda: main["hwnd"] in [w["hwnd"] for w in rig.windows(CAPTION, FORM_CLASS)],
                   timeout=wait, interval=0.5, what="the main window at the plan's time")
    assert datetime.datetime.now() >= begin - datetime.timedelta(seconds=1)
    hidden = [w for w in rig.windows(PLAN_CAPTION, visible=False)]
    assert len(hidden) == 1 and not hidden[0]["visible"], "the plan window runs unseen"
    now_playing(rig, "中文环球")

    # Right click on the first plan, "修改", another station, "确定".
    plan = open_plan_window(rig, main)["hwnd"]
    rig.right_click_row(plan, 0)
    rig.wait_until(lambda: [w for w in rig.windows() if w["class"] == "#32768"],
                   what="the context menu")
    rig.popup(1)
    editor = rig.wait_window("Form1")["hwnd"]
    station = rig.control(editor, window_class="ComboBox")
    assert station["text"] == "中文环球"
    assert len(station["items"]) == 11
    rig.screenshot("plan-editor")
    rig.set_text(editor, "ComboBox#1", "中国之声")
    rig.click(editor, "确定")
    rig.wait_until(lambda: not rig.windows("Form1"), what="the editor to close")
    expected[0][2] = "中国之声"
    assert rows(rig, plan, 3) == expected, "the start and end read back unchanged"
    assert rig.stop(program, main["hwnd"]) == 0
    assert ini.read_bytes() == "".join("\t".join(r) + "\r\n" for r in expected).encode("gbk")


def unlisted_plan_at(rig, dpi):
    rig.online()
    only = "#EXTM3U\r\n#EXTINF:-1,中文环球\r\nhttp://127.0.0.1:8000/a.mp3\r\n"
    program = rig.start(files=[("stations.m3u", only.encode("utf-8"))])
    main = rig.main_window(timeout=10)
    plan = open_plan_window(rig, main)["hwnd"]
    # "环球资讯", the window's first station, is marked; a listed one is not.
    assert rig.control(plan, "不在电台列表")["visible"]
    rig.select(plan, "ComboBox#5", "中文环球")
    rig.wait_until(lambda: not rig.control(plan, "不在电台列表")["visible"], what="no mark")
    begin = datetime.datetime.now().replace(microsecond=0) + datetime.timedelta(seconds=6)
    add_plan(rig, plan, begin, "1分钟", "环球资讯")
    rig.wait_until(lambda: rig.control(plan, "不在电台列表")["visible"], what="the mark")
    rig.screenshot(f"{dpi}dpi-unlisted")
    # At its time the directory is asked (this rig's network does not know it) and the user is
    # told why nothing plays.
    box = rig.wait_msgbox(20)
    assert box["text"] == "计划的电台“环球资讯”不在电台列表里，也没有在电台目录里找到", box
    rig.screenshot(f"{dpi}dpi-unlisted-told")
    rig.answer(box, IDOK)
    assert rig.stop(program, main["hwnd"]) == 0


def test_a_plan_for_a_station_the_list_lacks_says_so(rig):
    from test_dpi import at_dpis  # it imports this module
    at_dpis(rig, unlisted_plan_at)


test_a_plan_for_a_station_the_list_lacks_says_so.timeout = 120
