"""The timed-shutdown window: armed at a clock time, then a countdown that logs off.

Under Wine a forced log-off ends every process of the prefix, this program among them, and
nothing outside it; the program must have saved the running recording before asking."""

import re
import time

from rig import CAPTION

TITLE = "定时关机设置"
# Combo boxes in creation order: hour, minute, second and action of the clock row, then of
# the countdown row.
CLOCK_HOUR, CLOCK_MIN, CLOCK_SEC, CLOCK_ACTION = "ComboBox#1", "ComboBox#2", "ComboBox#3", \
    "ComboBox#4"
COUNT_HOUR, COUNT_MIN, COUNT_SEC, COUNT_ACTION = "ComboBox#5", "ComboBox#6", "ComboBox#7", \
    "ComboBox#8"


def texts(rig, window):
    return [c["text"] for c in rig.controls(window["hwnd"]) if c["visible"]]


def sentence(rig, window, prefix):
    def find():
        return next((t for t in texts(rig, window) if t.startswith(prefix)), None)
    return rig.wait_until(find, 5, what=f"a sentence starting with {prefix}")


def test_armed_in_both_modes_a_countdown_log_off_saves_the_recording_first(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == "停止", 5, what="the idle device")
    rig.click(main["hwnd"], "定时2")
    window = rig.wait_window(TITLE)
    assert any(t.startswith("当前系统时间：") for t in texts(rig, window))

    # Clock mode: the preset is ten minutes ahead, so nothing happens while we look.
    rig.click(window["hwnd"], "定时关机")
    rig.click(window["hwnd"], "启动")
    said = sentence(rig, window, "关机时间为：")
    assert re.fullmatch(r"关机时间为：\d{1,2}:\d{1,2}:0", said), said
    assert rig.control(window["hwnd"], "取消")
    rig.screenshot("shutdown-armed-clock")
    rig.click(window["hwnd"], "取消")
    rig.wait_until(lambda: rig.control(window["hwnd"], "启动"), 5, what="the window disarmed")

    rig.click(main["hwnd"], "录音")
    rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == "正在录音", 5,
                   what="the recording indicator")
    rig.click(window["hwnd"], "倒计时关机")
    rig.select(window["hwnd"], COUNT_MIN, "0")
    rig.select(window["hwnd"], COUNT_SEC, "3")
    rig.select(window["hwnd"], COUNT_ACTION, "注销")
    time.sleep(0.3)
    rig.click(window["hwnd"], "启动")
    assert sentence(rig, window, "倒计时 ").endswith("秒后注销")
    rig.screenshot("shutdown-armed-countdown")

    code = program.wait(15)
    assert code is not None, "the log-off did not end the program"
    folder = program.folder / "录音文件"
    takes = [p for p in folder.glob("录音_从*.wav")]
    assert len(takes) == 1, f"the running recording was not saved: {list(folder.iterdir())}"
    assert re.fullmatch(r"录音_从[\d-]+_[\d.]+到[\d-]+_[\d.]+\.wav", takes[0].name), takes[0].name
    # Two seconds or more of 16-bit stereo at 44100 samples per second.
    assert takes[0].stat().st_size > 44 + 2 * 176400, takes[0].stat().st_size
    assert rig.windows(CAPTION, visible=False) == []
