"""The driver against the real program: status bar texts read across processes, and menu
entries chosen by position (Wine does not let another process read a menu's captions)."""


def test_status_bar_and_a_menu_entry_chosen_by_position(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    panels = rig.statusbar(main["hwnd"])
    assert len(panels) >= 3 and panels[1] == "停止", panels

    rig.menu(main["hwnd"], "2/2")  # 计划(P) > 定时录音
    dialog = rig.wait_window("参数设置", timeout=5)
    rig.close(dialog["hwnd"])
    rig.wait_until(lambda: not rig.windows("参数设置"), 5, what="the settings dialog to close")

    assert rig.stop(program, main["hwnd"]) == 0
