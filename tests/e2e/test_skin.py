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


FLAT = (0x54, 0xA5, 0xD5)
FLAT_DISABLED = (0xA4, 0xCF, 0xE9)
DISC_RIM = (0x83, 0xA6, 0xD2)
HEADER_BOTTOM = (0xC0, 0xDA, 0xF2)
OPTION_BUTTON = "ThunderRT6OptionButton"


def wait_colours(rig, label, points):
    """A screenshot in which every (x, y, colour, what) shows its colour; the last one tried
    is named in the failure with every point that was off."""
    shots = []

    def off():
        return [(what, (x, y), pixel(shots[-1], x, y), colour) for x, y, colour, what in points
                if pixel(shots[-1], x, y) != colour]

    def check():
        shots.append(rig.screenshot(f"{label}-{len(shots)}"))
        return not off()

    try:
        rig.wait_until(check, 5, interval=0.3, what=f"the skin's colours on {label}")
    except Exception:
        raise AssertionError(f"in {shots[-1]}: {off()}")
    return shots[-1]


def skin_points(rig, window):
    """Where each skinned kind shows a colour of its own: the flat frame of combo boxes and
    progress bars, the rim of an option button's disc, a list header's bottom line. Controls
    that the window's narrow width cuts off are left out."""
    w_left, w_top = window["left"], window["top"]
    w_right, w_bottom = w_left + window["width"], w_top + window["height"]
    points = []
    for c in rig.controls(window["hwnd"]):
        left, top, right, bottom = c["rect"]
        if not c["visible"] or left < w_left or right > w_right or bottom > w_bottom:
            continue
        if c["class"] == "ComboBox":
            points.append((left, top + 5, FLAT if c["enabled"] else FLAT_DISABLED, c["text"]))
        elif c["class"] == "msctls_progress32":
            points.append((left, (top + bottom) // 2, FLAT, "progress bar"))
        elif c["window_class"] == OPTION_BUTTON:
            points.append((left, (top + bottom) // 2, DISC_RIM, c["text"]))
        elif c["class"] == "SysHeader32":
            points.append((left + 5, bottom - 1, HEADER_BOTTOM, "list header"))
    return points


def test_every_window_shows_its_controls_in_the_skins_colours(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    rig.screenshot("skin-main-window")  # its buttons are checked above; its level bar lies
    # below the part of the window shown
    rig.wait_until(lambda: rig.control(main["hwnd"], "定时1")["enabled"], what="定时1 enabled")
    rig.click(main["hwnd"], "定时1")
    plans = rig.wait_window("定时收听设置_星澜网络收音机")
    points = skin_points(rig, plans)
    assert len([p for p in points if p[2] == FLAT]) == 5, f"five combo boxes: {points}"
    assert any(p[3] == "list header" for p in points), "the plan list has its header"
    wait_colours(rig, "skin-plan-window", points)
    rig.close(plans["hwnd"])

    rig.click(main["hwnd"], "定时2")
    shutdown = rig.wait_window("定时关机设置")
    points = skin_points(rig, shutdown)
    assert len([p for p in points if p[2] == DISC_RIM]) >= 2, f"the two modes: {points}"
    assert any(p[2] == FLAT_DISABLED for p in points), "the clock boxes start disabled"
    wait_colours(rig, "skin-shutdown-window", points)
    rig.close(shutdown["hwnd"])

    rig.click(main["hwnd"], "设置")
    settings = rig.wait_window("参数设置")
    points = skin_points(rig, settings)
    assert any(p[2] == DISC_RIM for p in points), f"the settings' option buttons: {points}"
    wait_colours(rig, "skin-settings-dialog", points)
    rig.close(settings["hwnd"])
    rig.wait_until(lambda: not rig.windows("参数设置"), 5, what="the dialog to close")

    rig.menu(main["hwnd"], "3/5")  # 帮助(H) > 关于
    about = rig.wait_window("关于 星澜网络收音机")
    ok = rig.control(about["hwnd"], "确定")
    wait_painted(rig, "skin-about-box", ok, BORDER)
    rig.click(about["hwnd"], "确定")
    assert rig.stop(program, main["hwnd"]) == 0
