"""The offline recorder window: recording by hand and playing back without a network, and
handing over to the main window when the network returns."""

import time

from rig import CAPTION
from test_dpi import gray_pixels
from test_startup_offline import offline_window

NOTICE = "没有联网，不能收听"


def wait_indicator(rig, window, text, timeout=5):
    rig.wait_until(lambda: rig.statusbar(window["hwnd"])[1] == text, timeout, interval=0.05,
                   what=f"the indicator to read {text}")


def start_offline_recording(rig):
    program = rig.start()
    window = offline_window(rig)
    # A fresh offline window lets the user start over before the first take.
    rig.wait_until(lambda: rig.control(window["hwnd"], "定时1")["enabled"], 5,
                   what="playback to become available")
    assert not rig.control(window["hwnd"], "录音")["enabled"]
    rig.click(window["hwnd"], "重置")
    rig.wait_until(lambda: rig.control(window["hwnd"], "录音")["enabled"], 5,
                   what="录音 after 重置")
    rig.click(window["hwnd"], "录音")
    wait_indicator(rig, window, "正在录音")
    return program, window


def test_offline_records_by_hand_and_plays_the_take_back(rig):
    program, window = start_offline_recording(rig)
    time.sleep(1.5)
    rig.click(window["hwnd"], "停止")
    wait_indicator(rig, window, "停止")
    assert rig.windows("保存录音文件") == [], "the offline window has no save dialog"
    time.sleep(0.6)
    rig.click(window["hwnd"], "定时1")  # playback in this window
    # Wine's waveaudio device reports a length of 0 for a take that was never saved and plays
    # nothing of it: the device stays idle, so the monitor soon offers playback again. What
    # can be seen is that the request was accepted without an engine failure.
    time.sleep(1.0)
    assert rig.msgboxes() == [], "the playback request failed"
    assert rig.control(window["hwnd"], "定时1")["enabled"]
    rig.screenshot("offline-playback")

    # The take is unsaved: starting over asks first, and No keeps it.
    rig.click(window["hwnd"], "重置")
    box = rig.wait_msgbox()
    assert box["text"] == "你刚才的录音还没有保存，继续将导致数据丢失！继续吗？"
    rig.answer(box, 7)
    time.sleep(0.6)
    rig.close(window["hwnd"])
    assert program.wait(10) == 0


def test_when_the_network_returns_the_recording_goes_on_in_the_main_window(rig):
    program, window = start_offline_recording(rig)
    time.sleep(1.0)
    rig.online()
    returned = time.monotonic()
    main = rig.main_window(timeout=5)
    assert time.monotonic() - returned <= 3.5, "the main window took longer than a check"
    assert offline_window_hidden(rig, window)
    wait_indicator(rig, main, "正在录音")
    time.sleep(1.0)
    rig.click(main["hwnd"], "停止")
    dialog = rig.wait_window("保存录音文件", timeout=10)
    edits = [c for c in rig.controls(dialog["hwnd"]) if c["class"] == "Edit" and c["visible"]]
    target = "C:\\e2e\\" + rig.name + "\\录音文件\\接着录.wav"
    rig.set_text(dialog["hwnd"], edits[0]["id"], target)
    rig.click_id(dialog["hwnd"], 1)
    saved = program.folder / "录音文件" / "接着录.wav"
    rig.wait_until(lambda: saved.exists() and saved.stat().st_size > 44, 10, what="the take")
    # Both parts, offline and online: at least two seconds.
    assert saved.stat().st_size > 44 + 2 * 176400, saved.stat().st_size
    time.sleep(0.6)
    assert rig.stop(program, main["hwnd"]) == 0


def offline_window_hidden(rig, window):
    return all(w["hwnd"] != window["hwnd"] for w in rig.windows(CAPTION))


def test_the_notice_shows_whole_after_more_and_restore(rig):
    program = rig.start()
    window = offline_window(rig)

    def notice():
        left, top, right, bottom = rig.control(window["hwnd"], NOTICE)["rect"]
        return gray_pixels(rig.screenshot("notice"), left, top, right - left, bottom - top)
    time.sleep(0.5)
    before = notice()
    assert any(value < 128 for row in before for value in row), "no notice drawn"
    rig.click(window["hwnd"], "更多")
    rig.wait_until(lambda: rig.control(window["hwnd"], "还原")["visible"], what="还原")
    rig.click(window["hwnd"], "还原")
    rig.wait_until(lambda: notice() == before, 3, what="the whole notice again")
    rig.close(window["hwnd"])
    assert program.wait(10) == 0
