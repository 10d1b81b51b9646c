// The timed-shutdown window: presets, arming in both modes, the countdown, the clock trigger,
// the close questions, its tray set, and what it does for a take before the power action.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/AudioRecorder.h"
#include "app/DingshiGuanji.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

using Texts = std::vector<std::string>;

class ShutdownWindowTest : public ProgramFixture {
  protected:
    void SetUp() override { clock.current = {2026, 12, 7, 13, 55, 0}; }
    DingshiGuanji& window() { return program().form<DingshiGuanji>(); }
    void startProgram() {
        program().start();
        mci.commands.clear();
    }
    // Arms a countdown of h:m:s with the given action.
    void armCountdown(const std::string& h, const std::string& m, const std::string& s,
                      const std::string& action = "关机") {
        DingshiGuanji& w = window();
        w.CBoxHour2.setText(h);
        w.CBoxMin2.setText(m);
        w.CBoxSec2.setText(s);
        w.Combo5.setText(action);
        w.CmdStart.click();
    }
    bool saved(const std::string& path) {
        return std::count(mci.commands.begin(), mci.commands.end(), "save capture " + path) == 1;
    }
};

TEST_F(ShutdownWindowTest, LoadFillsTheListsAndPresetsTenMinutesAhead) {
    DingshiGuanji& w = window();
    EXPECT_EQ(w.caption(), "定时关机设置");
    EXPECT_EQ(w.Frame1.caption(), "当前系统时间：2026/12/7 13:55:00");
    EXPECT_EQ(w.CBoxHour.listCount(), 24);
    EXPECT_EQ(w.CBoxHour2.listCount(), 73);
    EXPECT_EQ(w.CBoxSec2.list(59), "59");
    EXPECT_EQ(w.Combo4.items(), (Texts{"关机", "重启", "注销"}));
    EXPECT_EQ(w.CBoxHour.text() + ":" + w.CBoxMin.text() + ":" + w.CBoxSec.text(), "14:5:0");
    EXPECT_EQ(w.CBoxHour2.text() + ":" + w.CBoxMin2.text() + ":" + w.CBoxSec2.text(), "0:30:0");
    EXPECT_EQ(w.Combo4.text(), "关机");
    EXPECT_EQ(w.Combo5.text(), "关机");
    EXPECT_TRUE(w.Option2.value());
    EXPECT_FALSE(w.CBoxHour.enabled() || w.CBoxMin.enabled() || w.CBoxSec.enabled() ||
                 w.Combo4.enabled());
    EXPECT_TRUE(w.CBoxHour2.enabled() && w.Combo5.enabled());
    EXPECT_EQ(w.CmdStart.caption(), "启动");
    EXPECT_EQ(w.LabInformation.caption(), "");
    EXPECT_TRUE(w.Timer1.running());
    EXPECT_FALSE(w.Timer2.running() || w.Timer3.running());
    EXPECT_EQ(program().module1.ShutdownTrayForm, &w);
    EXPECT_EQ(program().module1.ShutdownTrayMenu, &w.mnuTray);
}

TEST_F(ShutdownWindowTest, JustBeforeMidnightThePresetWrapsToHourZero) {
    clock.current = {2026, 12, 7, 23, 55, 0};
    DingshiGuanji& w = window();
    EXPECT_EQ(w.CBoxHour.text() + ":" + w.CBoxMin.text() + ":" + w.CBoxSec.text(), "0:5:0");
}

TEST_F(ShutdownWindowTest, TheOptionsSwitchWhichRowIsUsable) {
    DingshiGuanji& w = window();
    w.Option1.setValue(true);
    EXPECT_TRUE(w.CBoxHour.enabled() && w.CBoxMin.enabled() && w.CBoxSec.enabled() &&
                w.Combo4.enabled());
    EXPECT_FALSE(w.CBoxHour2.enabled() || w.CBoxMin2.enabled() || w.CBoxSec2.enabled() ||
                 w.Combo5.enabled());
    w.Option2.setValue(true);
    EXPECT_FALSE(w.CBoxHour.enabled());
    EXPECT_TRUE(w.Combo5.enabled());
}

TEST_F(ShutdownWindowTest, OnlyDigitsAndBackspaceReachTheCountdownBoxes) {
    DingshiGuanji& w = window();
    for (int key : {'a', 'Z', ' ', '-', '.'}) {
        int k = key;
        w.CBoxHour2_KeyPress(k);
        EXPECT_EQ(k, 0) << key;
    }
    w.CBoxHour2.setText("1a0-0");
    EXPECT_EQ(w.CBoxHour2.text(), "100");
    for (int key : {int('0'), int('7'), int('9'), 8}) {
        int k = key;
        w.CBoxSec2_KeyPress(k);
        EXPECT_EQ(k, key);
    }
}

TEST_F(ShutdownWindowTest, ArmingACountdownWithAnEmptyHourBoxArmsZeroHours) {
    armCountdown("", "5", "7", "重启");
    DingshiGuanji& w = window();
    EXPECT_EQ(w.CBoxHour2.text() + ":" + w.CBoxMin2.text() + ":" + w.CBoxSec2.text(), "0:5:7");
    EXPECT_EQ(w.LabInformation.caption(), "倒计时 0小时5分钟7秒后重启");
    EXPECT_EQ(w.CmdStart.caption(), "取消");
    EXPECT_FALSE(w.Frame1.enabled());
    EXPECT_TRUE(w.Timer3.running());
    EXPECT_FALSE(w.Timer2.running());

    w.CmdStart.click();
    EXPECT_EQ(w.CmdStart.caption(), "启动");
    EXPECT_TRUE(w.Frame1.enabled());
    EXPECT_FALSE(w.Timer3.running());
    EXPECT_EQ(w.LabInformation.caption(), "");
}

TEST_F(ShutdownWindowTest, AnHourBoxOf100ArmsOneHundredHours) {
    armCountdown("100", "0", "0");
    EXPECT_EQ(window().TimerHour, 100);
    EXPECT_EQ(window().LabInformation.caption(), "倒计时 100小时0分钟0秒后关机");
}

TEST_F(ShutdownWindowTest, ACountdownOfThreeSecondsActsOnTheFourthTick) {
    armCountdown("0", "0", "3", "注销");
    DingshiGuanji& w = window();
    Texts labels;
    for (int i = 0; i < 3; ++i) {
        w.Timer3.tick();
        labels.push_back(w.LabInformation.caption());
    }
    EXPECT_EQ(labels, (Texts{"倒计时 0小时0分钟2秒后注销", "倒计时 0小时0分钟1秒后注销",
                             "倒计时 0小时0分钟0秒后注销"}));
    EXPECT_TRUE(power.log.empty());
    w.Timer3.tick();
    EXPECT_EQ(power.log, (Texts{"exit 4"}));
    EXPECT_FALSE(w.Timer3.running()) << "the request is made once";
}

TEST_F(ShutdownWindowTest, TheCountdownBorrowsFromMinutesAndHours) {
    armCountdown("1", "0", "0");
    window().Timer3.tick();
    EXPECT_EQ(window().LabInformation.caption(), "倒计时 0小时59分钟59秒后关机");
}

TEST_F(ShutdownWindowTest, ClockModeActsOnceInItsSecond) {
    DingshiGuanji& w = window();
    w.Option1.setValue(true);
    w.CBoxHour.setText("14");
    w.CBoxMin.setText("0");
    w.CBoxSec.setText("0");
    w.Combo4.setText("重启");
    w.CmdStart.click();
    EXPECT_EQ(w.LabInformation.caption(), "重启时间为：14:0:0");
    EXPECT_TRUE(w.Timer2.running());
    clock.current = {2026, 12, 7, 13, 59, 59};
    w.Timer2.tick();
    EXPECT_TRUE(power.log.empty());
    clock.current = {2026, 12, 7, 14, 0, 0};
    w.Timer2.tick();
    w.Timer2.tick();  // a second tick within the same second
    clock.current = {2026, 12, 7, 14, 0, 1};
    w.Timer2.tick();
    EXPECT_EQ(power.log, (Texts{"version", "privilege", "exit 6"}));
}

TEST_F(ShutdownWindowTest, ClosingAnArmedVisibleWindowAsksTheTwoLineQuestion) {
    armCountdown("0", "30", "0");
    DingshiGuanji& w = window();
    prompts.answers.push_back(MsgAnswer::No);
    EXPECT_FALSE(w.unload(ui::kUnloadFormControlMenu));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              "你已设置定时关机。关闭将使定时设置失效。\r建议你将窗口最小化。确定要关闭吗？");
    EXPECT_EQ(prompts.boxes[0].title, "");
    EXPECT_EQ(prompts.boxes[0].icon, MsgIcon::Question);
    EXPECT_TRUE(w.Timer3.running());

    // Minimized, No sends it back to the tray; Yes closes it.
    w.setWindowState(ui::WindowState::Minimized);
    prompts.answers = {MsgAnswer::No, MsgAnswer::Yes};
    EXPECT_FALSE(w.unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(prompts.boxes[1].text, "你已设置定时关机。关闭将使定时设置失效。确定要关闭吗？");
    EXPECT_TRUE(program().module1.shutdownInTray());
    EXPECT_FALSE(w.visible());
    EXPECT_TRUE(w.unload(ui::kUnloadFormControlMenu));
    EXPECT_FALSE(program().module1.shutdownInTray());
    EXPECT_EQ(program().module1.ShutdownTrayForm, nullptr);
}

TEST_F(ShutdownWindowTest, AnIdleWindowOrWindowsEndingClosesWithoutAsking) {
    EXPECT_TRUE(window().unload(ui::kUnloadFormControlMenu));
    armCountdown("0", "30", "0");
    EXPECT_TRUE(window().unload(ui::kUnloadAppWindows));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ShutdownWindowTest, MinimizedItWaitsInTheTrayWithItsOwnMenu) {
    DingshiGuanji& w = window();
    w.show();
    w.setWindowState(ui::WindowState::Minimized);
    w.Form_Resize();
    EXPECT_EQ(tray.icons,
              (std::map<std::string, std::string>{{"DingshiGuanji", "星澜网络收音机定时关机"}}));
    EXPECT_FALSE(w.visible());
    tray.deliver(w, 2025, 517);
    EXPECT_EQ(windows.popups, (Texts{"mnuTray"}));
    std::vector<std::string> entries;
    for (ui::MenuItem* item : w.mnuTray.items())
        entries.push_back(item->caption());
    EXPECT_EQ(entries, (Texts{"显示", "退出"}));

    w.mnuShow.click();
    EXPECT_TRUE(w.visible());
    EXPECT_EQ(w.windowState(), ui::WindowState::Normal);
    EXPECT_TRUE(tray.icons.empty());

    w.setWindowState(ui::WindowState::Minimized);
    w.Form_Resize();
    w.mnuTrayexit.click();
    EXPECT_FALSE(w.loaded());
    EXPECT_TRUE(tray.icons.empty());
}

TEST_F(ShutdownWindowTest, AnotherRunningCopyClosesOnlyThisWindow) {
    startProgram();
    process.otherInstance = true;
    DingshiGuanji::open(program());
    EXPECT_EQ(prompts.texts(), (Texts{"程序已经启动"}));
    EXPECT_EQ(prompts.boxes[0].title, "警告");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::Ok);
    EXPECT_FALSE(program().isLoaded<DingshiGuanji>());
    EXPECT_TRUE(program().isLoaded<AudioRecorder>());
    EXPECT_TRUE(shell.endedWith.empty());
    EXPECT_EQ(program().module1.ShutdownTrayForm, nullptr);
}

TEST_F(ShutdownWindowTest, ARunningRecordingIsStoppedAndSavedBeforeTheSystemIsAsked) {
    startProgram();
    AudioRecorder& main = program().form<AudioRecorder>();
    main.cmdRecord.click();  // StartTime 13:55:00
    mci.answer("status capture mode", "recording");
    power.onExit = [&](unsigned) { mci.commands.push_back("-- power action --"); };
    armCountdown("0", "0", "0", "注销");
    clock.current = {2026, 12, 7, 14, 1, 2};
    window().Timer3.tick();
    const std::string path =
        "C:\\Sonorin\\录音文件\\录音_从2026-12-7_13.55.00到2026-12-7_14.01.02.wav";
    EXPECT_TRUE(saved(path));
    const auto stop = std::find(mci.commands.begin(), mci.commands.end(), "stop capture");
    const auto save = std::find(mci.commands.begin(), mci.commands.end(), "save capture " + path);
    const auto act = std::find(mci.commands.begin(), mci.commands.end(), "-- power action --");
    EXPECT_TRUE(stop < save && save < act);
    EXPECT_EQ(power.log, (Texts{"exit 4"}));
}

TEST_F(ShutdownWindowTest, AnUnsavedStoppedTakeIsSavedAndASavedOneIsLeftAlone) {
    startProgram();
    AudioRecorder& main = program().form<AudioRecorder>();
    main.cmdRecord.click();
    clock.current = {2026, 12, 7, 13, 56, 0};
    main.cmdStop.click();  // the save dialog is cancelled
    armCountdown("0", "0", "0");
    window().Timer3.tick();
    EXPECT_TRUE(saved("C:\\Sonorin\\录音文件\\录音_从2026-12-7_13.55.00到2026-12-7_13.56.00.wav"));
    EXPECT_EQ(std::count(mci.commands.begin(), mci.commands.end(), "stop capture"), 1);

    mci.commands.clear();
    window().CmdStart.click();
    armCountdown("0", "0", "0");
    window().Timer3.tick();
    EXPECT_TRUE(std::none_of(mci.commands.begin(), mci.commands.end(),
                             [](const std::string& c) { return c.rfind("save capture", 0) == 0; }));
    EXPECT_EQ(power.log.size(), 6u);
}

// Nobody may be there to click OK: a failed save must not hold up the power action. Its
// message comes after the request, for when the system does not end the program.
TEST_F(ShutdownWindowTest, AFailedSaveDoesNotHoldUpThePowerAction) {
    startProgram();
    program().form<AudioRecorder>().cmdRecord.click();
    mci.answer("status capture mode", "recording");
    const std::string path =
        "C:\\Sonorin\\录音文件\\录音_从2026-12-7_13.55.00到2026-12-7_13.55.00.wav";
    mci.fail("save capture " + path);
    Texts order;
    power.onExit = [&](unsigned) { order.push_back("power action"); };
    prompts.onMessageBox = [&](const FakePrompts::Box& box) { order.push_back(box.text); };
    armCountdown("0", "0", "0");
    window().Timer3.tick();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], "power action");
    EXPECT_NE(order[1].find("Saving file failed, file name was: " + path), std::string::npos);
}

TEST_F(ShutdownWindowTest, TheMainWindowOpensItFromItsButtonAndBothMenus) {
    startProgram();
    AudioRecorder& main = program().form<AudioRecorder>();
    for (ui::Control* opener : std::initializer_list<ui::Control*>{
             &main.cmdShijian, &main.mnuGuanji, &main.Mnu_DingshiGuanji}) {
        if (auto* b = dynamic_cast<ui::Button*>(opener))
            b->click();
        else
            static_cast<ui::MenuItem*>(opener)->click();
        ASSERT_TRUE(program().isLoaded<DingshiGuanji>()) << opener->name();
        EXPECT_TRUE(window().visible());
        window().unload();
    }
}

}  // namespace
}  // namespace sonorin
