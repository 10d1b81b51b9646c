"""The skin: the main window, the settings dialog and a message box show skinned buttons.

Each screenshot is checked by colour at known places: the middle of a button's left edge is
the skin's border, #1B8FD5 on an enabled button and #87C3E8 on a disabled one."""

import subprocess

BORDER = (0x1B, 0x8F, 0xD5)
BORDER_DISABLED = (0x87, 0xC3, 0xE8)
SKINNED_BUTTON = "ThunderRT6CommandButton"


def pixel(png, x, y):
    out = subprocess.run(["/usr/bin/convert", str(png), "-format", f"%[hex:p{{{x},{y}}}]",
                          "info:"], capture_output=True, text=True, check=True).stdout.strip()
    return tuple(int(out[i:i + 2], 16) for i in (0, 2, 4))


def left_edge(control):
    left, top, _, bottom = control["rect"]
    return left, (top + bottom) // 2


def wait_painted(rig, label, control, colour):
    """A screenshot in which the control's left edge shows the colour (the first paint after
    a window appears can lag a little behind it)."""
    shots = []

    def check():
        shot = rig.screenshot(f"{label}-{len(shots)}")
        shots.append(shot)
        return pixel(shot, *left_edge(control)) == colour

    try:
        rig.wait_until(check, 5, interval=0.3, what=f"{control['text']!r} in {colour}")
    except Exception:
        raise AssertionError(f"{control['text']!r} shows {pixel(shots[-1], *left_edge(control))}"
                             f" at its left edge in {shots[-1]}, not {colour}")
    return shots[-1]


def test_buttons_of_the_main_window_settings_dialog_and_a_message_box_are_skinned(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    controls = rig.controls(main["hwnd"])
    record = next(c for c in controls if c["text"] == "录音")
    stop = next(c for c in controls if c["text"] == "停止")
    assert record["window_class"] == SKINNED_BUTTON and record["enabled"]
    assert not stop["enabled"], "停止 starts disabled"
    shot = wait_painted(rig, "main-window", record, BORDER)
    assert pixel(shot, *left_edge(stop)) == BORDER_DISABLED, f"停止 in {shot}"

    rig.click(main["hwnd"], "设置")
    dialog = rig.wait_window("参数设置")
    ok = next(c for c in rig.controls(dialog["hwnd"])
              if c["window_class"] == SKINNED_BUTTON and c["visible"] and c["enabled"])
    wait_painted(rig, "settings-dialog", ok, BORDER)
    rig.close(dialog["hwnd"])
    rig.wait_until(lambda: not rig.windows("参数设置"), 5, what="the dialog to close")

    # Closing while recording asks first, in a message box of the system.
    rig.click(main["hwnd"], "录音")
    rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == "正在录音", 5,
                   what="the recording to start")
    rig.post(main["hwnd"], 0x0010)  # WM_CLOSE
    box = rig.wait_msgbox()
    buttons = [c for c in rig.controls(box["hwnd"]) if c["class"] == "Button" and c["visible"]]
    assert buttons, "the question has buttons"
    for button in buttons:
        wait_painted(rig, f"message-box-{button['id']}", button, BORDER)
    rig.answer(box, 7)  # No: keep recording
    rig.click(main["hwnd"], "停止")
    rig.wait_until(lambda: rig.statusbar(main["hwnd"])[1] == "停止", 5,
                   what="the recording to stop")
    assert rig.stop(program, main["hwnd"]) == 0
