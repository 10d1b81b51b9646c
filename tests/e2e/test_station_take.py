"""Recording the station itself: a programmed take of a tone station through its own source,
the station gone and back in the middle, and a take that outlives a killed program."""

import datetime
import shutil
import subprocess
import time

import wavtools
from test_on_air import Icecast, MOUNT
from test_radio import portal, station_list
from test_recording import arm_programmed_take, wait_indicator

SOURCE = "正在收听的电台"
RATE = 44100


def loud(frames, start, end):
    """True when every tenth of a second in [start, end) s carries sound (the tone)."""
    step = RATE // 10
    for first in range(int(start * RATE), int(end * RATE), step):
        block = frames[first:first + step]
        if not block or max(abs(l) for l, _ in block) < 1000:
            return False
    return True


def longest_silence(frames):
    """Where the longest run of all-zero frames starts and how long it lasts, in seconds."""
    longest = run = start = 0
    for index, (left, right) in enumerate(frames):
        run = run + 1 if left == 0 and right == 0 else 0
        if run > longest:
            longest, start = run, index - run + 1
    return start / RATE, longest / RATE


def start_with_station(rig, icecast):
    icecast.start_source()
    rig.wait_until(icecast.mounted, 10, what="ffmpeg to feed the mount")
    rig.online()
    program = rig.start(files=[("stations.m3u", station_list(icecast.url(MOUNT)))])
    main = rig.main_window()
    wait_indicator(rig, main, "停止")
    playing()
    return program, main


def playing(timeout=30):
    """Waits until the player plays the station."""
    end = time.monotonic() + timeout
    while "正在播放" not in portal("/radio/now")[1]:
        if time.monotonic() > end:
            raise AssertionError("the station did not play")
        time.sleep(0.1)


def test_programmed_station_take_keeps_its_length_through_a_dropped_station(rig):
    icecast = Icecast()
    try:
        program, main = start_with_station(rig, icecast)
        length = 24
        start, stop = arm_programmed_take(rig, main, delay=6, length=length, source=SOURCE)
        wait_indicator(rig, main, "正在录音", timeout=15)
        panels = rig.statusbar(main["hwnd"])
        assert panels[2].startswith("录音来源：正在收听的电台"), panels

        # Four seconds in, the station's source goes; four seconds later it is back and the
        # player finds it again by itself.
        time.sleep(max(0.0, (start - datetime.datetime.now()).total_seconds() + 4))
        icecast.kill_source()
        rig.wait_until(lambda: "正在录入静音" in rig.statusbar(main["hwnd"])[2], 15,
                       what="the status bar to say silence is written")
        rig.screenshot("writing-silence")
        time.sleep(3)
        icecast.start_source()
        playing()
        back = datetime.datetime.now()
        assert (stop - back).total_seconds() >= 3, "the station came back too late to hear"

        box = rig.wait_msgbox(timeout=length + 20, title="星澜网络收音机")
        prefix = "你的计划录音已完成，录音已被保存！\r\n文件名: "
        assert box["text"].startswith(prefix), box["text"]
        name = box["text"][len(prefix):]
        saved = program.folder / "录音文件" / name.rsplit("\\", 1)[1]
        rig.answer(box, 1)
        channels, bits, rate, frames = wavtools.read_wav(saved)
        assert (channels, bits, rate) == (2, 16, RATE)
        seconds = len(frames) / rate
        gone, silence = longest_silence(frames)
        print(f"programmed {length} s, recorded {seconds:.3f} s, "
              f"longest silence {silence:.2f} s from {gone:.2f} s")
        assert abs(seconds - length) <= 0.1, f"the take lasts {seconds:.3f} s"
        # The take starts on the program's own tick, so where the silence begins depends on the
        # machine's load; what counts is that the take heard the station until it went.
        assert silence >= 2, "silence where the station was gone"
        assert gone >= 2 and loud(frames, 0.5, gone - 0.1), "the tone before the station went"
        assert loud(frames, length - 2.5, length - 0.5), "the tone after it came back"
        assert not list((program.folder / "录音文件").glob("*_录制中*")), "no unfinished file"
        assert rig.stop(program, main["hwnd"]) == 0
        assert rig.settings()["CaptureSource"] == "Station"
    finally:
        icecast.close()


test_programmed_station_take_keeps_its_length_through_a_dropped_station.timeout = 150


def test_a_killed_take_is_recovered_at_the_next_start(rig):
    icecast = Icecast()
    try:
        rig.write_settings({"CaptureSource": "Station"})
        program, main = start_with_station(rig, icecast)
        rig.click(main["hwnd"], "录音")
        wait_indicator(rig, main, "正在录音")
        began = time.monotonic()
        time.sleep(6)
        recorded = time.monotonic() - began
        program.process.kill()
        program.wait(10)
        rig.environment.wine_kill()
        unfinished = list((program.folder / "录音文件").glob("*_录制中.wav"))
        assert len(unfinished) == 1, unfinished

        program = rig.start(files=[("stations.m3u", station_list(icecast.url(MOUNT)))])
        box = rig.wait_msgbox(timeout=15, title="星澜网络收音机")
        assert box["text"].startswith("上次的电台录音没有保存就结束了"), box["text"]
        rig.screenshot("recovered")
        rig.answer(box, 1)
        recovered = list((program.folder / "录音文件").glob("*_恢复.wav"))
        assert len(recovered) == 1 and recovered[0].name in box["text"], box["text"]
        channels, bits, rate, frames = wavtools.read_wav(recovered[0])
        seconds = len(frames) / rate
        print(f"recorded {recorded:.2f} s before the kill, recovered {seconds:.2f} s")
        assert seconds >= 0.9 * recorded, f"only {seconds:.2f} s recovered"
        assert loud(frames, 0.5, seconds - 0.5)
        main = rig.main_window()
        assert rig.stop(program, main["hwnd"]) == 0
    finally:
        icecast.close()


test_a_killed_take_is_recovered_at_the_next_start.timeout = 120


def test_a_take_on_a_filling_disk_stops_in_time_and_keeps_a_whole_file(rig):
    icecast = Icecast()
    folder = rig.folder / "录音文件"
    folder.mkdir()
    # The take keeps 64 MiB free: on this disk it stops within a few seconds.
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=66m", "tmpfs", str(folder)], check=True)
    try:
        rig.write_settings({"CaptureSource": "Station"})
        program, main = start_with_station(rig, icecast)
        rig.click(main["hwnd"], "录音")
        wait_indicator(rig, main, "正在录音")
        box = rig.wait_msgbox(timeout=30, title="星澜网络收音机")
        assert box["text"].startswith("磁盘空间快用完了，电台录音已停止。"), box["text"]
        rig.screenshot("disk-full")
        rig.answer(box, 1)
        # Stopped as by the Stop button: the save dialog is offered; cancelled, the take stays.
        dialog = rig.wait_window("保存录音文件", timeout=10)
        rig.click_id(dialog["hwnd"], 2)
        kept = rig.wait_msgbox(timeout=10, title="星澜网络收音机")
        rig.answer(kept, 1)
        wait_indicator(rig, main, "停止")
        takes = list(folder.glob("*_未保存.wav"))
        assert len(takes) == 1 and takes[0].name in kept["text"], kept["text"]
        assert not list(folder.glob("*_录制中.wav")), "no name of a file still being written"
        channels, bits, rate, frames = wavtools.read_wav(takes[0])
        seconds = len(frames) / rate
        assert takes[0].stat().st_size == 44 + len(frames) * 4, "the header holds the whole file"
        print(f"stopped after {seconds:.2f} s with "
              f"{shutil.disk_usage(folder).free / 2**20:.1f} MiB left")
        assert seconds >= 2 and loud(frames, 0.5, seconds - 0.5)
        assert rig.stop(program, main["hwnd"]) == 0
    finally:
        icecast.close()
        subprocess.run(["umount", str(folder)], check=False)


test_a_take_on_a_filling_disk_stops_in_time_and_keeps_a_whole_file.timeout = 90
