"""Start-up: the main window comes up, and closing it ends the program cleanly."""

import subprocess
import time

from rig import CAPTION, FORM_CLASS


def screen_has_content(png):
    # A bare Xvfb screen is one flat colour; a painted window is not.
    deviation = subprocess.run(["/usr/bin/convert", str(png), "-format",
                                "%[fx:standard_deviation]", "info:"],
                               capture_output=True, text=True, check=True).stdout
    return float(deviation) > 0.01


def test_main_window_appears_and_closing_it_ends_the_program(rig):
    rig.online()
    started = time.monotonic()
    program = rig.start()
    main = rig.main_window(timeout=5)
    assert time.monotonic() - started <= 5, "the main window took longer than 5 s"
    assert main["caption"] == CAPTION and main["class"] == FORM_CLASS
    assert main["enabled"] and not main["minimized"]
    # The window that opens the display connection early is gone again.
    assert [w for w in rig.windows(visible=False) if w["class"].lower() == "static"] == []

    shot = rig.screenshot("main-window")
    assert screen_has_content(shot), f"{shot} shows nothing"

    rig.close(main["hwnd"])
    code = program.wait(10)
    assert code is not None, "the program still runs 10 s after its main window was closed"
    assert code == 0, f"exit code {code}"
    assert rig.windows(CAPTION, visible=False) == [], "a window of the program outlived it"
