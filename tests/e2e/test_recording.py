"""Recording as a user does it: by hand with the save dialog, and programmed through the
settings dialog's input boxes with automatic saving."""

import datetime
import re
import time

from rig import CAPTION
import wavtools


def wait_indicator(rig, main, text, timeout=5):
    rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == text, timeout,
                   what=f"the indicator to read {text}")


def save_dialog_file_box(rig, dialog):
    """The file-name edit of the save dialog (inside its combo box on newer layouts)."""
    edits = [c for c in rig.controls(dialog["hwnd"]) if c["class"] == "Edit" and c["visible"]]
    if not edits:
        raise AssertionError(f"no file-name box in {rig.controls(dialog['hwnd'])}")
    return edits[0]


def test_record_by_hand_and_save_through_the_save_dialog(rig):
    rig.online()
    tone = rig.folder / "tone.wav"
    played = wavtools.write_tone(tone, 1.8)
    program = rig.start()
    main = rig.main_window()
    wait_indicator(rig, main, "停止")
    rig.screenshot("main-window")

    rig.click(main["hwnd"], "录音")
    wait_indicator(rig, main, "正在录音")
    assert not rig.control(main["hwnd"], "录音")["enabled"]
    assert rig.control(main["hwnd"], "停止")["enabled"]
    time.sleep(0.3)
    rig.play(tone)  # blocks while it plays
    time.sleep(0.3)
    rig.click(main["hwnd"], "停止")

    dialog = rig.wait_window("保存录音文件", timeout=10)
    box = save_dialog_file_box(rig, dialog)
    proposed = box["text"]
    assert re.fullmatch(r"录音_从\d{4}-\d{1,2}-\d{1,2}_\d{1,2}-\d{2}-\d{2}"
                        r"到\d{4}-\d{1,2}-\d{1,2}_\d{1,2}-\d{2}-\d{2}", proposed), proposed
    rig.screenshot("save-dialog")
    # Typed without an extension: the file still gets ".wav".
    target = "C:\\e2e\\" + rig.name + "\\录音文件\\手动录音"
    rig.set_text(dialog["hwnd"], box["id"], target)
    rig.click_id(dialog["hwnd"], 1)
    saved = program.folder / "录音文件" / "手动录音.wav"
    rig.wait_until(lambda: saved.exists() and saved.stat().st_size > 44, 10,
                   what="the saved take")
    time.sleep(0.3)

    channels, bits, rate, frames = wavtools.read_wav(saved)
    assert (channels, bits, rate) == (2, 16, 44100)
    found = wavtools.matching_frames(frames, played)
    assert found >= len(played) * 0.9, \
        f"only {found} of {len(played)} played frames are in the take"
    assert rig.control(main["hwnd"], "录音")["enabled"]
    assert rig.control(main["hwnd"], "定时1")["enabled"]
    # The take's length sets the range of the design's slider (the volume's stays 0 to 100).
    assert max(t["max"] for t in rig.trackbars(main["hwnd"])) >= 1800
    time.sleep(0.3)
    assert rig.stop(program, main["hwnd"]) == 0


def programmed_take_saved(rig, program, box, start, stop):
    """Checks the completion message of an automatic save; returns the full Windows path it
    names and the saved file's path on this side."""
    prefix = "你的计划录音已完成，录音已被保存！\r\n文件名: "
    assert box["text"].startswith(prefix), box["text"]
    name = box["text"][len(prefix):]
    file = ("录音_从" + f"{start.year}-{start.month}-{start.day}_" + start.strftime("%H.%M.%S")
            + "到" + f"{stop.year}-{stop.month}-{stop.day}_" + stop.strftime("%H.%M.%S")
            + ".wav")
    folder = "C:\\e2e\\" + rig.name + "\\录音文件\\"
    # Windows writes the hour without a leading zero, Wine's zh-CN data with one.
    assert name in (folder + file, folder + re.sub(r"_0(\d)\.", r"_\1.", file)), name
    saved = program.folder / "录音文件" / name[len(folder):]
    assert saved.exists(), f"{saved} is missing"
    return name, saved


def answer_input_box(rig, title, text):
    box = rig.wait_window(title)
    edit = [c for c in rig.controls(box["hwnd"]) if c["class"] == "Edit"][0]
    default = edit["text"]
    rig.set_text(box["hwnd"], edit["id"], text)
    rig.click_id(box["hwnd"], 1)
    rig.wait_until(lambda: not rig.windows(title), 5, what=f"the {title} box to close")
    return default


def arm_programmed_take(rig, main, delay=8, length=3, source=None, saving="自动"):
    """Arms a take of `length` s starting `delay` s from now through the Settings button, with
    automatic saving unless `saving` is "手动" (and the recording source `source`, when given);
    returns its start and stop."""
    rig.click(main["hwnd"], "设置")
    dialog = rig.wait_window("参数设置")
    rig.click(dialog["hwnd"], "计划录音")
    rig.wait_until(lambda: rig.control(dialog["hwnd"], "开始时间")["visible"], 5,
                   what="the programmed-time buttons")
    assert not rig.control(main["hwnd"], "录音")["enabled"], "an armed recording disables Record"
    assert rig.control(dialog["hwnd"], "自动")["checked"]
    rig.screenshot("settings-dialog")

    start = datetime.datetime.now().replace(microsecond=0) + datetime.timedelta(seconds=delay)
    stop = start + datetime.timedelta(seconds=length)
    rig.click(dialog["hwnd"], "开始时间")
    default = answer_input_box(rig, "开始时间", start.strftime("%Y-%m-%dT%H:%M:%S"))
    assert re.fullmatch(r"\d{4}/\d{1,2}/\d{1,2} \d{1,2}:\d{2}:\d{2}", default), default
    rig.click(dialog["hwnd"], "结束时间")
    answer_input_box(rig, "结束时间", stop.strftime("%Y/%m/%d %H:%M:%S"))
    assert rig.msgboxes() == [], "the times were accepted"
    if saving != "自动":
        rig.click(dialog["hwnd"], saving)
        assert rig.control(dialog["hwnd"], saving)["checked"]
    if source:
        rig.click(dialog["hwnd"], source)
        assert rig.control(dialog["hwnd"], source)["checked"]
        rig.screenshot("settings-source")
    rig.click(dialog["hwnd"], "确定")
    rig.wait_until(lambda: not rig.windows("参数设置"), 5, what="the dialog to close")
    return start, stop


def test_programmed_recording_saves_itself_under_its_generated_name(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    wait_indicator(rig, main, "停止")

    start, stop = arm_programmed_take(rig, main)

    box = rig.wait_msgbox(timeout=30, title="星澜网络收音机")
    name, saved = programmed_take_saved(rig, program, box, start, stop)
    rig.screenshot("programmed-done")
    channels, bits, rate, frames = wavtools.read_wav(saved)
    assert abs(len(frames) / rate - 3.0) <= 0.5, f"the take lasts {len(frames) / rate:.2f} s"
    rig.answer(box, 1)
    time.sleep(0.6)
    assert rig.control(main["hwnd"], "录音")["enabled"]
    assert rig.stop(program, main["hwnd"]) == 0
    assert rig.settings()["WaveFileName"] == name


test_programmed_recording_saves_itself_under_its_generated_name.timeout = 90


def save_button(rig, main):
    """保存, or what stands for it before it was ever shown (it has no window until then)."""
    found = [c for c in rig.controls(main["hwnd"]) if c["text"] == "保存"]
    return found[0] if found else {"visible": False, "enabled": False}


def test_a_programmed_take_saved_by_hand_is_saved_with_the_save_button(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    wait_indicator(rig, main, "停止")
    assert not save_button(rig, main)["visible"]

    arm_programmed_take(rig, main, delay=6, length=2, saving="手动")
    box = rig.wait_msgbox(timeout=30, title="星澜网络收音机")
    assert "请点击“保存”按钮保存录音。" in box["text"], box["text"]
    rig.answer(box, 1)
    rig.wait_until(lambda: save_button(rig, main)["visible"] and save_button(rig, main)["enabled"],
                   5, what="保存 to be offered")
    rig.screenshot("save-offered")

    rig.click(main["hwnd"], "保存")
    dialog = rig.wait_window("保存录音文件", timeout=10)
    box = save_dialog_file_box(rig, dialog)
    rig.set_text(dialog["hwnd"], box["id"], "C:\\e2e\\" + rig.name + "\\录音文件\\计划录音")
    rig.click_id(dialog["hwnd"], 1)
    saved = program.folder / "录音文件" / "计划录音.wav"
    rig.wait_until(lambda: saved.exists() and saved.stat().st_size > 44, 10,
                   what="the saved take")
    rig.wait_until(lambda: not save_button(rig, main)["visible"], 5,
                   what="保存 to go once the take is saved")
    channels, bits, rate, frames = wavtools.read_wav(saved)
    assert (channels, bits) == (2, 16) and frames, "a take of sound"
    time.sleep(0.6)
    assert rig.stop(program, main["hwnd"]) == 0


test_a_programmed_take_saved_by_hand_is_saved_with_the_save_button.timeout = 90


def test_more_and_back_widen_and_narrow_the_window_around_the_centre(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    twips = 15  # the rig's screen has 96 dots per inch
    assert main["width"] * twips == 5040, main  # the compact width, which 还原 returns to

    rig.click(main["hwnd"], "更多")
    wide = rig.wait_until(lambda: next((w for w in rig.windows() if w["hwnd"] == main["hwnd"]
                                        and w["width"] * twips == 10455), None), 5,
                          what="the wide window")
    assert abs(wide["left"] + wide["width"] / 2 - 640) <= 1, "the wide window is centred"
    texts = {c["text"] for c in rig.controls(main["hwnd"]) if c["visible"]}
    assert "还原" in texts and "更多" not in texts
    rig.screenshot("wide-window")

    rig.click(main["hwnd"], "还原")
    narrow = rig.wait_until(lambda: next((w for w in rig.windows() if w["hwnd"] == main["hwnd"]
                                          and w["width"] * twips == 5040), None), 5,
                            what="the compact window")
    assert abs(narrow["left"] + narrow["width"] / 2 - 640) <= 1
    texts = {c["text"] for c in rig.controls(main["hwnd"]) if c["visible"]}
    assert "更多" in texts and "还原" not in texts
    assert rig.stop(program, main["hwnd"]) == 0
