"""The main window's tray icon and the about box, as a user meets them."""

import subprocess

from rig import CAPTION, IDOK

TRAY_CLASS = "__winex11_standalone_tray"
TRAY_ICON_CLASS = "__winex11_tray_icon"


def tray_icons(rig):
    """The icons of Wine's own notification area (it has one when X offers none)."""
    for tray in rig.windows(window_class=TRAY_CLASS):
        return [c for c in rig.controls(tray["hwnd"]) if c["class"] == TRAY_ICON_CLASS]
    return []


def mouse_click(rig, control, button=1):
    x = control["left"] + control["width"] // 2
    y = control["top"] + control["height"] // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)],
                   env=rig.env, check=True)


def test_minimized_without_plans_the_main_window_waits_in_the_tray(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    assert tray_icons(rig) == []
    rig.minimize(main["hwnd"])
    rig.wait_until(lambda: not rig.windows(CAPTION), 5, what="the main window to leave the screen")
    icons = rig.wait_until(lambda: tray_icons(rig), 5, what="the tray icon")
    assert len(icons) == 1
    rig.screenshot("tray-icon")

    mouse_click(rig, icons[0])
    back = rig.wait_until(lambda: [w for w in rig.windows(CAPTION) if not w["minimized"]], 5,
                          what="the main window to come back")
    assert back[0]["hwnd"] == main["hwnd"]
    # Restored windows come back in the middle of the screen.
    assert abs(back[0]["left"] + back[0]["width"] // 2 - 640) <= 2, back[0]
    rig.wait_until(lambda: tray_icons(rig) == [], 5, what="the icon to go")
    assert rig.stop(program, main["hwnd"]) == 0


def test_a_second_start_brings_the_running_copy_back_and_ends(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    rig.minimize(main["hwnd"])
    rig.wait_until(lambda: tray_icons(rig), 5, what="the tray icon")
    for _ in ("from the tray", "while it shows"):
        second = rig.launch(program.folder / "sonorin.exe")
        assert second.wait(10) == 0, "the second copy did not end"
        shown = rig.wait_until(lambda: [w for w in rig.windows(CAPTION) if not w["minimized"]],
                               5, what="the running copy's window in front")
        assert [w["hwnd"] for w in shown] == [main["hwnd"]]
    assert rig.stop(program, main["hwnd"]) == 0


def test_the_about_box_shows_the_version_and_tells_when_system_information_is_missing(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    rig.menu(main["hwnd"], "3/5")  # 帮助(H) > 关于
    about = rig.wait_window("关于 星澜网络收音机")
    texts = [c["text"] for c in rig.controls(about["hwnd"]) if c["visible"]]
    assert "名称： 星澜网络收音机" in texts
    assert "版本： 5.2.15" in texts
    assert "简介：在线网络电台。附带录音等功能。" in texts
    rig.screenshot("about-box")

    # This prefix knows no system-information program.
    rig.click(about["hwnd"], "系统信息(S)...")
    box = rig.wait_msgbox()
    assert box["text"] == "此时系统信息不可用" and box["title"] == "星澜网络收音机"
    rig.answer(box, IDOK)
    rig.click(about["hwnd"], "确定")
    rig.wait_until(lambda: not rig.windows("关于 星澜网络收音机"), 5, what="the about box to close")
    assert rig.stop(program, main["hwnd"]) == 0
