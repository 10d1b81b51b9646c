"""Listening comforts through the window and the keyboard: the program's own volume measured
in the sound card's sink, the mute, both kept for the next start, and a media key."""

import array
import math
import os
import subprocess

from test_on_air import MOUNT, Icecast, follow
from test_radio import portal, station_list

WM_KEYDOWN = 0x0100
VK_NEXT, VK_HOME, VK_RIGHT = 0x22, 0x24, 0x27


def sink_rms(rig, seconds=2):
    """The loudness of what the sound card plays, as the root mean square of its samples."""
    raw = subprocess.run(["timeout", str(seconds), "parec", "--device=nullsink.monitor", "--raw",
                          "--format=s16le", "--rate=44100", "--channels=2"],
                         env={**os.environ, "PULSE_SERVER": rig.env["PULSE_SERVER"]},
                         capture_output=True).stdout
    samples = array.array("h", raw[:len(raw) // 2 * 2])[44100:]  # past PulseAudio's start
    assert samples, "nothing recorded from the sink"
    return math.sqrt(sum(s * s for s in samples) / len(samples))


def volume_controls(rig, main):
    """The mute button and, beside it, the volume slider (the design's other slider lies off
    the window)."""
    controls = rig.controls(main["hwnd"])
    mute = [c for c in controls if c["class"] == "Button" and c["text"] in ("静音", "恢复")]
    assert len(mute) == 1, controls
    slider = [c for c in controls if c["class"] == "msctls_trackbar32"
              and abs(c["top"] - mute[0]["top"]) < 5 and c["left"] >= mute[0]["left"]]
    assert len(slider) == 1, controls
    return slider[0], mute[0]


def test_the_volume_halves_the_sound_mute_silences_it_and_both_are_kept(rig):
    icecast = Icecast()
    try:
        icecast.start_source()
        rig.wait_until(icecast.mounted, 10, what="ffmpeg to feed the mount")
        rig.online()
        stations = station_list(icecast.url(MOUNT))
        program = rig.start(files=[("stations.m3u", stations)])
        main = rig.main_window()
        follow(rig, main, "正在播放", "正在播放", 15, "playing")
        full = sink_rms(rig)
        assert full > 1000, full

        # Half way with the keyboard, as a user without a mouse would: the start, two pages
        # (of a fifth each) and ten steps.
        slider, mute = volume_controls(rig, main)
        assert slider["pos"] == 100, slider
        for key in [VK_HOME] + [VK_NEXT] * 2 + [VK_RIGHT] * 10:
            rig.post(slider["hwnd"], WM_KEYDOWN, key, 0)
        rig.wait_until(lambda: volume_controls(rig, main)[0]["pos"] == 50, what="the slider at 50")
        half = sink_rms(rig)
        print(f"full {full:.0f}, at 50 % {half:.0f}: {20 * math.log10(half / full):.2f} dB")
        assert abs(20 * math.log10(half / full) + 6.02) <= 0.5

        rig.click(main["hwnd"], "静音")
        rig.wait_until(lambda: volume_controls(rig, main)[1]["text"] == "恢复", what="muted")
        assert sink_rms(rig) < full / 100
        rig.screenshot("muted")
        assert rig.stop(program, main["hwnd"]) == 0

        # The next start: still muted, still at half.
        program = rig.start()
        main = rig.main_window()
        slider, mute = volume_controls(rig, main)
        assert (slider["pos"], mute["text"]) == (50, "恢复"), (slider, mute)
        follow(rig, main, "正在播放", "正在播放", 15, "playing again")
        assert sink_rms(rig) < full / 100
        rig.click(main["hwnd"], "恢复")
        rig.wait_until(lambda: volume_controls(rig, main)[1]["text"] == "静音", what="sound")
        assert abs(20 * math.log10(sink_rms(rig) / full) + 6.02) <= 0.5

        # A media key with the window in front: the next station of the list.
        x, y = main["left"] + main["width"] // 2, main["top"] + 10  # the title bar
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"],
                       env=rig.env, check=True)
        subprocess.run(["xdotool", "key", "XF86AudioNext"], env=rig.env, check=True)
        rig.wait_until(lambda: 'aria-current="true">北京新闻</a>' in portal("/radio")[1], 5,
                       what="the next station after a media key")
        assert rig.stop(program, main["hwnd"]) == 0
    finally:
        icecast.close()


test_the_volume_halves_the_sound_mute_silences_it_and_both_are_kept.timeout = 150
