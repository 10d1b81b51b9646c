"""High-DPI screens: at 96, 144 and 192 dpi the program declares per-monitor awareness, lays its
buttons out from twips at the screen's DPI, draws their captions with a font of that DPI, and
no caption is cut off. Screenshots of each land in build/e2e-artifacts/."""

import datetime
import subprocess

from rig import CAPTION
from test_plans import PLAN_CAPTION, add_plan, open_plan_window
from test_startup_offline import offline_window

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
ROW = ["录音", "停止", "定时1", "定时2", "重置", "设置", "更多"]
SETTINGS_BUTTONS = ["开始时间", "结束时间", "文件名", "确定", "取消"]
BUTTON_HEIGHT = 735  # twips
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 800  # pixels, the rig's X screen
INK = 80  # how much darker than the button face a pixel of text is


def set_dpi(rig, dpi):
    """Wine reads LogPixels when its server starts: store it, then end the server."""
    code, _, err = rig.environment.wine(["reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t",
                                         "REG_DWORD", "/d", str(dpi), "/f"])
    assert code == 0, err
    rig.environment.wine_kill()


def gray_pixels(png, x, y, width, height):
    """The rectangle of the screenshot as rows of 0-255 gray values."""
    raw = subprocess.run(["/usr/bin/convert", str(png), "-crop", f"{width}x{height}+{x}+{y}",
                          "+repage", "-colorspace", "Gray", "-depth", "8", "gray:-"],
                         capture_output=True, check=True).stdout
    assert len(raw) == width * height, f"crop {width}x{height}+{x}+{y} gave {len(raw)} bytes"
    return [raw[row * width:(row + 1) * width] for row in range(height)]


def caption_ink(png, button, window):
    """Where the caption's pixels are inside the visible part of the button, as (left, top,
    right, bottom) gaps to its edges, and the caption's height. Text is what stands out darker
    from the button's face; the 3-D edge is left out."""
    edge = 2
    left = max(button["left"], window["client_left"]) + edge
    top = max(button["top"], window["client_top"]) + edge
    right = min(button["left"] + button["width"], window["client_right"]) - edge
    bottom = min(button["top"] + button["height"], window["client_bottom"]) - edge
    rows = gray_pixels(png, left, top, right - left, bottom - top)
    face = sorted(rows[len(rows) // 2])[len(rows[0]) * 3 // 4]  # light, mostly background
    ink = [(x, y) for y, row in enumerate(rows) for x, value in enumerate(row)
           if face - value > INK]
    assert ink, f"no caption drawn in button {button['text']!r}"
    xs, ys = [x for x, _ in ink], [y for _, y in ink]
    gaps = (min(xs), min(ys), len(rows[0]) - 1 - max(xs), len(rows) - 1 - max(ys))
    return gaps, max(ys) - min(ys) + 1


def check_at(rig, dpi):
    set_dpi(rig, dpi)
    rig.online()
    program = rig.start()
    main = rig.main_window(timeout=10)
    reported = rig.driver("dpi", main["hwnd"])[0]
    assert reported["dpi"] == dpi, reported
    # Wine tells per-monitor from unaware and system awareness, but not v1 from v2.
    assert reported["awareness"] == 2, f"the program is not per-monitor aware: {reported}"

    buttons = {c["text"]: c for c in rig.controls(main["hwnd"])
               if c["class"] == "Button" and c["visible"]}
    assert set(ROW) <= set(buttons), f"buttons: {sorted(buttons)}"
    slot = main["width"] / 7  # the seven slots share the outer width
    height = round(BUTTON_HEIGHT * dpi / 1440)
    row = [buttons[text] for text in ROW]
    for button in row:
        assert abs(button["width"] - slot) <= 1.5, (dpi, button, slot)
        assert abs(button["height"] - height) <= 1, (dpi, button, height)
    # The layout centres the window; screen and window agree on what a twip is.
    assert abs(main["left"] + main["width"] / 2 - SCREEN_WIDTH / 2) <= 2, (dpi, main)
    lefts = [b["left"] for b in row]
    assert lefts == sorted(lefts) and len(set(b["top"] for b in row)) == 1, row

    shot = rig.screenshot(f"{dpi}dpi")
    heights = [check_captions(shot, main, row, dpi)]

    # The settings dialog: push buttons laid out from twips of its own.
    rig.click(main["hwnd"], "设置")
    dialog = rig.wait_window("参数设置")
    buttons = [c for c in rig.controls(dialog["hwnd"])
               if c["class"] == "Button" and c["visible"] and c["text"] in SETTINGS_BUTTONS]
    assert {"确定", "取消"} <= {b["text"] for b in buttons}, buttons  # others show by mode
    shot = rig.screenshot(f"{dpi}dpi-settings")
    heights.append(check_captions(shot, dialog, buttons, dpi))
    rig.click(dialog["hwnd"], "取消")
    rig.wait_until(lambda: not rig.windows("参数设置"), 5, what="the settings dialog to close")
    show_every_other_window(rig, main, dpi)
    assert rig.stop(program, main["hwnd"]) == 0

    rig.set_hosts([])  # offline: the offline window instead of the main window
    program = rig.start()
    window = offline_window(rig, timeout=10)
    # 录音 starts greyed; the line under the notice says how to record.
    assert rig.control(window["hwnd"], "点“重置”后可以录音")["visible"]
    assert not rig.control(window["hwnd"], "录音")["enabled"]
    on_screen(rig, window["hwnd"], dpi, "offline")
    assert rig.stop(program, window["hwnd"]) == 0
    return max(heights)


def on_screen(rig, hwnd, dpi, name):
    """Takes the window's screenshot and checks that all of it lies on the screen."""
    rig.screenshot(f"{dpi}dpi-{name}")
    window = [w for w in rig.windows() if w["hwnd"] == hwnd][0]
    inside = (window["left"] >= 0 and window["top"] >= 0
              and window["left"] + window["width"] <= SCREEN_WIDTH
              and window["top"] + window["height"] <= SCREEN_HEIGHT)
    assert inside, f"the {name} window is off the screen at {dpi} dpi: {window}"


def docked_clear(rig, docked, anchor, dpi):
    """A docked window sits beside its anchor, or, where the screen has no room for that, with
    its title bar's buttons clear of the anchor, whichever is on top: the title bar above the
    anchor, or its right end (three buttons about as wide as the bar is tall) past it."""
    d, a = ([w for w in rig.windows() if w["hwnd"] == h][0] for h in (docked, anchor))
    beside = d["left"] + d["width"] <= a["left"] or d["left"] >= a["left"] + a["width"]
    buttons = 3 * (d["client_top"] - d["top"])
    assert beside or d["client_top"] <= a["top"] or \
        d["left"] + d["width"] - buttons >= a["left"] + a["width"], (dpi, d, a)


def show_every_other_window(rig, main, dpi):
    """The plan window, the plan editor, the shutdown window and the about box."""
    on_screen(rig, main["hwnd"], dpi, "main")
    plan = open_plan_window(rig, main)["hwnd"]
    if not rig.listview(plan)["rows"]:  # plans stay from the start at the DPI before
        rig.screenshot(f"{dpi}dpi-plan-empty")
        add_plan(rig, plan, datetime.time(7, 0, 0), "不确定", "美国之音")
        rig.wait_until(lambda: rig.listview(plan)["rows"], what="the plan in the list")
    on_screen(rig, plan, dpi, "plan")
    docked_clear(rig, plan, main["hwnd"], dpi)
    rig.right_click_row(plan, 0)
    rig.wait_until(lambda: [w for w in rig.windows() if w["class"] == "#32768"],
                   what="the context menu")
    rig.popup(1)
    editor = rig.wait_window("Form1")["hwnd"]
    on_screen(rig, editor, dpi, "plan-editor")
    docked_clear(rig, editor, plan, dpi)
    check_spin_buttons(rig, editor, dpi)
    rig.click(main["hwnd"], "定时2")
    on_screen(rig, rig.wait_window("定时关机设置")["hwnd"], dpi, "shutdown")
    rig.menu(main["hwnd"], "3/5")  # 帮助(H) > 关于
    on_screen(rig, rig.wait_window("关于 星澜网络收音机")["hwnd"], dpi, "about")
    for caption in ("关于 星澜网络收音机", "定时关机设置", "Form1", PLAN_CAPTION):
        for window in rig.windows(caption):
            rig.close(window["hwnd"])


def check_spin_buttons(rig, window, dpi):
    """Each time picker's spin buttons sit at its right edge, full height, wider with the DPI."""
    controls = rig.controls(window)
    pickers = {c["hwnd"]: c["rect"] for c in controls if c["class"] == "SysDateTimePick32"}
    spins = [(pickers[c["parent"]], c["rect"]) for c in controls
             if c["class"] == "msctls_updown32" and c["parent"] in pickers]
    assert len(spins) == len(pickers) == 2, controls
    for (_, top, right, bottom), (left, spin_top, spin_right, spin_bottom) in spins:
        assert 0 <= right - spin_right <= 3 and 0 <= spin_top - top <= 3, (dpi, spins)
        assert spin_bottom - spin_top >= bottom - top - 6, (dpi, spins)
        assert spin_right - left >= 14 * dpi / 96, (dpi, spins)


def check_captions(shot, window, buttons, dpi):
    """No caption runs into its button's edge; returns the tallest caption's height."""
    heights = []
    for button in buttons:
        gaps, ink_height = caption_ink(shot, button, window)
        assert min(gaps) >= 1, \
            f"caption {button['text']!r} runs into the edge at {dpi} dpi (gaps {gaps}): {shot}"
        heights.append(ink_height)
    return max(heights)


def test_buttons_scale_with_the_dpi_and_no_caption_is_cut(rig):
    heights = {}
    try:
        for dpi in (96, 144, 192):
            heights[dpi] = check_at(rig, dpi)
    finally:
        set_dpi(rig, 96)
    for dpi in (144, 192):
        ratio = heights[dpi] / heights[96]
        assert abs(ratio - dpi / 96) <= 0.3, f"captions do not follow the DPI: {heights}"


test_buttons_scale_with_the_dpi_and_no_caption_is_cut.timeout = 300  # three cold starts of Wine


def at_dpis(rig, check, dpis=(96, 144)):
    """Runs check(rig, dpi) at each DPI in turn, then leaves the prefix at 96 dpi."""
    try:
        for dpi in dpis:
            set_dpi(rig, dpi)
            check(rig, dpi)
    finally:
        set_dpi(rig, 96)


def test_a_status_text_cut_off_shows_whole_in_its_tool_tip(rig):
    at_dpis(rig, status_tip_at)


test_a_status_text_cut_off_shows_whole_in_its_tool_tip.timeout = 180


def status_tip_at(rig, dpi):
    rig.online()
    program = rig.start()
    main = rig.main_window(timeout=10)
    bar = [c for c in rig.controls(main["hwnd"]) if c["class"] == "msctls_statusbar32"][0]
    whole = rig.statusbar(main["hwnd"])[2]
    assert "bits" in whole, whole
    # The pointer over the third panel, which is too narrow for the take's description.
    x = bar["left"] + bar["width"] * 2 // 3
    y = bar["top"] + bar["height"] // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x - 5), str(y), "mousemove", "--sync",
                    str(x), str(y)], env=rig.env, check=True)

    # The tip is wider than the panel: the text in it is whole (Wine's tool tips do not
    # answer WM_GETTEXT, so its size tells; the screenshot shows the text).
    panel = bar["width"] * (1 - 0.15 - 0.21)
    tips = rig.wait_until(lambda: [t for t in rig.windows(window_class="tooltips_class32")
                                   if t["width"] > panel], 5, what="the status bar's tool tip")
    rig.screenshot(f"{dpi}dpi-status-tip")
    assert len(tips) == 1, tips
    subprocess.run(["xdotool", "mousemove", "0", "0"], env=rig.env, check=True)
    assert rig.stop(program, main["hwnd"]) == 0
