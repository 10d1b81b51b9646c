"""Start-up and shut-down as a user meets them: offline and online starts, the recordings
folder, the desktop shortcut and the settings written at exit."""

import time

from rig import CAPTION, FORM_CLASS

DEFAULTS = {"Rate": "44100", "Channels": "2", "Resolution": "16",
            "WaveFileName": "C:\\Radio.wav", "WaveAutomaticSave": "True",
            "CaptureSource": "SoundCard"}


def desktop_shortcuts(rig):
    return [p for p in rig.environment.drive_c.glob("users/*/Desktop/星澜网络收音机.lnk")]


def offline_window(rig, timeout=5):
    def find():
        for window in rig.windows(CAPTION, FORM_CLASS):
            texts = [c["text"] for c in rig.controls(window["hwnd"])]
            if "没有联网，不能收听" in texts:
                return window
        return None
    return rig.wait_until(find, timeout, what="the offline window")


def test_fresh_start_without_network_shows_the_offline_window(rig):
    program = rig.start()
    window = offline_window(rig)
    assert not window["minimized"]
    visible = rig.windows(CAPTION)
    assert [w["hwnd"] for w in visible] == [window["hwnd"]], \
        f"only the offline window shows, not the main window: {visible}"
    rig.screenshot("offline-window")

    assert (program.folder / "录音文件").is_dir(), "the recordings folder was not created"
    assert len(desktop_shortcuts(rig)) == 1, "the desktop shortcut was not created"
    assert rig.settings() == {}, "nothing is stored before the program ends"

    rig.close(window["hwnd"])
    assert program.wait(10) == 0
    assert rig.settings() == DEFAULTS


def test_online_start_shows_the_main_window_and_keeps_a_shortcut(rig):
    rig.online({"/": "<html><body>ok</body></html>",
                "/radio": "<html><body><a href='#'>中文环球</a> 资讯</body></html>"})
    shortcut_dir = next(rig.environment.drive_c.glob("users/*/Desktop"))
    existing = shortcut_dir / "星澜网络收音机.lnk"
    existing.write_bytes(b"a shortcut the user made")
    (rig.folder / "录音文件").mkdir()
    (rig.folder / "录音文件" / "旧录音.wav").write_bytes(b"RIFF")

    program = rig.start()
    main = rig.main_window(timeout=5)
    assert [w["hwnd"] for w in rig.windows(CAPTION)] == [main["hwnd"]], \
        "the offline window does not show when the network answers"
    assert existing.read_bytes() == b"a shortcut the user made", "an existing shortcut changed"
    assert (rig.folder / "录音文件" / "旧录音.wav").read_bytes() == b"RIFF"
    texts = {c["text"] for c in rig.controls(main["hwnd"]) if c["visible"]}
    assert {"录音", "停止", "定时1", "定时2", "重置", "设置", "更多"} <= texts
    assert "还原" not in texts
    assert rig.stop(program, main["hwnd"]) == 0
    assert rig.settings() == DEFAULTS


def test_stored_settings_reach_the_device_and_are_written_back(rig):
    rig.online()
    stored = {"Rate": "8000", "Channels": "1", "Resolution": "8",
              "WaveFileName": "D:\\电台 录音.wav", "WaveAutomaticSave": "False",
              "CaptureSource": "Station"}
    rig.write_settings(stored)
    program = rig.start()
    main = rig.main_window()

    def described():
        panels = rig.statusbar(main["hwnd"])
        return panels if len(panels) == 3 and "8000 samples per second" in panels[2] else None
    panels = rig.wait_until(described, 5, what="the description of the stored format")
    assert panels[0] == "录音机:" and panels[1] == "停止"
    assert "单声道" in panels[2] and " 8 bits" in panels[2], panels[2]
    assert rig.stop(program, main["hwnd"]) == 0
    assert rig.settings() == stored


def test_closing_while_recording_asks_and_no_keeps_the_program(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    rig.click(main["hwnd"], "录音")
    rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == "正在录音", 5,
                   what="the recording indicator")
    rig.close(main["hwnd"])
    box = rig.wait_msgbox()
    assert box["text"] == "正在录音，您确定要关闭吗？"
    assert box["title"] == ""
    rig.answer(box, 7)  # No
    time.sleep(0.5)
    assert program.running()
    assert rig.windows(CAPTION) and rig.settings() == {}
    rig.click(main["hwnd"], "停止")
    dialog = rig.wait_window("保存录音文件")
    rig.click_id(dialog["hwnd"], 2)  # Cancel: the take stays unsaved
    time.sleep(0.6)  # Wine's winmm dislikes a close right after a stop
    assert rig.stop(program, main["hwnd"]) == 0
