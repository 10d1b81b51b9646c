"""Quitting keeps what the user asked: plans edited after an offline start survive the exit,
and "否" to the armed shutdown timer's question keeps the program and its timer running."""

import datetime

from test_plans import add_plan, open_plan_window, rows
from test_startup_offline import offline_window
from test_shutdown_window import COUNT_HOUR, COUNT_MIN, TITLE, sentence


def test_plans_edited_after_the_network_returned_are_there_at_the_next_start(rig):
    program = rig.start()
    offline_window(rig)
    rig.online()
    main = rig.main_window(timeout=5)
    plan = open_plan_window(rig, main)["hwnd"]
    add_plan(rig, plan, datetime.time(7, 0, 0), "不确定", "美国之音")
    rows(rig, plan, 1)
    # The plan window stays open; the main window's exit must save it before the process ends.
    assert rig.stop(program, main["hwnd"]) == 0

    program = rig.start()
    plan = open_plan_window(rig, rig.main_window())["hwnd"]
    assert rows(rig, plan, 1) == [["7:00:00", "不确定", "美国之音"]]
    assert rig.stop(program) == 0


def test_no_to_the_armed_timer_question_keeps_the_program_and_the_countdown(rig):
    rig.online()
    program = rig.start()
    main = rig.main_window()
    rig.click(main["hwnd"], "定时2")
    window = rig.wait_window(TITLE)
    rig.click(window["hwnd"], "倒计时关机")
    rig.select(window["hwnd"], COUNT_HOUR, "1")
    rig.select(window["hwnd"], COUNT_MIN, "0")
    rig.click(window["hwnd"], "启动")
    before = sentence(rig, window, "倒计时 ")

    rig.close(main["hwnd"])
    box = rig.wait_msgbox()
    assert box["text"].startswith("你已设置定时关机。关闭将使定时设置失效。"), box["text"]
    rig.answer(box, 7)
    rig.wait_until(lambda: sentence(rig, window, "倒计时 ") != before, 5,
                   what="the countdown to go on")
    assert program.running()
    rig.main_window()
    assert rig.control(window["hwnd"], "取消"), "the timer is still armed"
    rig.click(window["hwnd"], "取消")
    assert rig.stop(program, main["hwnd"]) == 0
