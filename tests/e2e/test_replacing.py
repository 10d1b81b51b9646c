"""Saving over a file of the same name: the new take replaces it, a save that runs out of
space leaves it as it was, and a programmed take lands in the recordings folder whatever
folder the save dialog visited before."""

import subprocess
import time

from test_recording import (arm_programmed_take, programmed_take_saved, save_dialog_file_box,
                            wait_indicator)
import wavtools

IDOK, IDYES = 1, 6


def old_wav(path, seconds):
    """A WAV file of known, recognisable bytes."""
    wavtools.write_tone(path, seconds)
    return path.read_bytes()


def record_and_stop(rig, main, seconds):
    """A hand take of about `seconds`; returns the save dialog the Stop button opens."""
    rig.click(main["hwnd"], "录音")
    wait_indicator(rig, main, "正在录音")
    time.sleep(seconds)
    rig.click(main["hwnd"], "停止")
    return rig.wait_window("保存录音文件", timeout=10)


def save_as(rig, dialog, path):
    box = save_dialog_file_box(rig, dialog)
    rig.set_text(dialog["hwnd"], box["id"], path)
    rig.click_id(dialog["hwnd"], IDOK)


def confirm_overwrite(rig):
    """The save dialog asks before it overwrites an existing file: Yes."""
    def question():
        boxes = [b for b in rig.msgboxes() if any(x["id"] == IDYES for x in b["buttons"])]
        return boxes[0] if boxes else None
    rig.answer(rig.wait_until(question, 10, what="the question before overwriting"), IDYES)


def test_a_hand_take_saved_over_a_file_of_the_same_name_replaces_it(rig):
    rig.online()
    folder = rig.folder / "录音文件"
    folder.mkdir()
    target = folder / "同名.wav"
    old = old_wav(target, 0.5)
    program = rig.start()
    main = rig.main_window()
    wait_indicator(rig, main, "停止")

    dialog = record_and_stop(rig, main, 1.5)
    save_as(rig, dialog, "C:\\e2e\\" + rig.name + "\\录音文件\\同名.wav")
    confirm_overwrite(rig)
    def replaced():
        # The old file is moved aside while the new one is written: for a moment there is none.
        try:
            return target.read_bytes() != old and target.stat().st_size > 44
        except FileNotFoundError:
            return False
    rig.wait_until(replaced, 10, what="the new take in place of the old file")
    time.sleep(0.5)
    channels, bits, rate, frames = wavtools.read_wav(target)
    assert (channels, bits, rate) == (2, 16, 44100)
    assert len(frames) / rate >= 1.0, f"the take lasts {len(frames) / rate:.2f} s"
    assert sorted(p.name for p in folder.iterdir()) == ["同名.wav"], "nothing is left aside"
    assert rig.msgboxes() == []
    assert rig.stop(program, main["hwnd"]) == 0


def test_a_save_that_runs_out_of_space_keeps_the_old_file(rig):
    rig.online()
    folder = rig.folder / "录音文件"
    folder.mkdir()
    # A full disk, unlike read-only permissions, stops root too. The mount lives in this
    # test run's own mount namespace.
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", str(folder)],
                   check=True)
    try:
        target = folder / "同名.wav"
        old = old_wav(target, 0.3)
        program = rig.start()
        main = rig.main_window()
        wait_indicator(rig, main, "停止")

        dialog = record_and_stop(rig, main, 2.5)  # some 440 KB, more than the disk holds
        save_as(rig, dialog, "C:\\e2e\\" + rig.name + "\\录音文件\\同名.wav")
        confirm_overwrite(rig)
        box = rig.wait_msgbox(timeout=15, title="星澜网络收音机")
        assert box["text"].startswith("Saving file failed, file name was: "), box["text"]
        assert box["text"].endswith("\\录音文件\\同名.wav"), box["text"]
        rig.screenshot("save-failed")
        assert target.read_bytes() == old, "the old file is intact"
        assert sorted(p.name for p in folder.iterdir()) == ["同名.wav"]
        rig.answer(box, IDOK)

        # The program goes on: a new take records.
        time.sleep(0.6)
        rig.click(main["hwnd"], "录音")
        wait_indicator(rig, main, "正在录音")
        time.sleep(0.6)
        rig.click(main["hwnd"], "停止")
        dialog = rig.wait_window("保存录音文件", timeout=10)
        rig.click_id(dialog["hwnd"], 2)  # Cancel
        rig.wait_until(lambda: not rig.windows("保存录音文件"), 5, what="the dialog to close")
        time.sleep(0.6)
        assert rig.stop(program, main["hwnd"]) == 0
        assert target.read_bytes() == old
    finally:
        subprocess.run(["umount", "-l", str(folder)], check=False)


test_a_save_that_runs_out_of_space_keeps_the_old_file.timeout = 90


def test_a_programmed_take_lands_in_the_recordings_folder_after_a_save_elsewhere(rig):
    rig.online()
    elsewhere = rig.folder / "别处"
    elsewhere.mkdir()
    program = rig.start()
    main = rig.main_window()
    wait_indicator(rig, main, "停止")

    # Into the other folder through the dialog itself, which makes it the current folder.
    dialog = record_and_stop(rig, main, 1.0)
    save_as(rig, dialog, "C:\\e2e\\" + rig.name + "\\别处")
    time.sleep(1.0)
    dialog = rig.wait_window("保存录音文件", timeout=5)
    save_as(rig, dialog, "手动.wav")
    rig.wait_until(lambda: (elsewhere / "手动.wav").exists(), 10, what="the hand take")
    time.sleep(0.6)

    start, stop = arm_programmed_take(rig, main)
    box = rig.wait_msgbox(timeout=30, title="星澜网络收音机")
    name, saved = programmed_take_saved(rig, program, box, start, stop)
    assert not any(p.name.startswith("录音_从") for p in elsewhere.iterdir())
    rig.answer(box, IDOK)
    time.sleep(0.6)
    assert rig.stop(program, main["hwnd"]) == 0
    assert rig.settings()["WaveFileName"] == name


test_a_programmed_take_lands_in_the_recordings_folder_after_a_save_elsewhere.timeout = 90
