// The offline recorder window around its recorder panel: its own monitor beside the main
// window's, the reconnect check, the notice, the menu and closing.
#include <gtest/gtest.h>

#include "app/config.h"
#include "app/frmAbout.h"
#include "app/frmSettings.h"
#include "app/recorder_window_fixture.h"

namespace sonorin {
namespace {

class OfflineTest : public RecorderWindowFixture {
  protected:
    void SetUp() override { startWith(RecorderWindow::Offline); }
    void arm() {
        state().StartTime = {2026, 12, 6, 9, 10, 0};
        state().StopTime = {2026, 12, 6, 9, 20, 0};
        state().WaveAutomaticSave = true;
        program().form<frmSettings>().optRecordProgrammed.setValue(true);
    }
};

TEST_F(OfflineTest, CreatedAsWideAsTheMainWindowWithItsTimersAndHelpMenu) {
    FrmnoConnection& f = offline();
    EXPECT_EQ(f.width(), main().width());
    EXPECT_EQ(f.Timer1.interval(), 2000);
    EXPECT_EQ(f.Timer2.interval(), 200);
    EXPECT_FALSE(f.minButton());
    std::vector<std::string> menu;
    for (ui::MenuItem* item : f.mnuhelp.items())
        menu.push_back(item->caption());
    EXPECT_EQ(f.mnuhelp.caption(), "帮助");
    EXPECT_EQ(menu, (std::vector<std::string>{"帮助内容", "-", "官网", "-", "关于"}));
}

TEST_F(OfflineTest, TheGreyedRecordButtonSaysResetMakesItUsable) {
    FrmnoConnection& f = offline();
    EXPECT_FALSE(f.cmdRecord.enabled());
    EXPECT_TRUE(f.LabelRecordHint.visible());
    EXPECT_EQ(f.LabelRecordHint.caption(), "点“重置”后可以录音");
    f.cmdReset_Click();
    f.Timer2.tick();
    EXPECT_FALSE(f.LabelRecordHint.visible());
}

TEST_F(OfflineTest, WithTheStationChosenATakeHereRecordsTheSoundCardAndSaysSo) {
    FrmnoConnection& f = offline();
    settings.values[{"Sonorin", "StartUp", "CaptureSource"}] = "Station";
    f.cmdReset_Click();  // reads the choice
    f.Timer2.tick();
    EXPECT_EQ(f.LabelRecordHint.caption(), "没有联网时录不到电台，录音将使用声卡");
    f.cmdRecord_Click();
    EXPECT_EQ(count("record capture"), 1);
    f.cmdStop_Click();

    // A programmed take too, whichever window's monitor starts it.
    arm();
    clock.current = {2026, 12, 6, 9, 10, 1};
    main().Timer2.tick();
    EXPECT_EQ(count("record capture"), 2);
}

TEST_F(OfflineTest, BothMonitorsOnOneStateTheOfflineOneTickingFirstSavesOnce) {
    arm();
    clock.current = {2026, 12, 6, 9, 10, 1};
    offline().Timer2.tick();
    main().Timer2.tick();
    EXPECT_EQ(count("record capture"), 1);
    EXPECT_EQ(buttons(), "0100");
    clock.current = {2026, 12, 6, 9, 20, 1};
    offline().Timer2.tick();
    main().Timer2.tick();
    EXPECT_EQ(count("stop capture"), 1);
    const std::string saved =
        "C:\\Sonorin\\录音文件\\广播录音_从2026-12-6_9.10.00到2026-12-6_9.20.00.wav";
    EXPECT_EQ(state().WaveFileName, saved);
    EXPECT_EQ(count("save capture " + saved), 1);
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(buttons(), "0011");
}

TEST_F(OfflineTest, WhenTheMainMonitorTicksFirstItsNameIsUsed) {
    arm();
    clock.current = {2026, 12, 6, 9, 20, 1};
    main().Timer2.tick();
    offline().Timer2.tick();
    EXPECT_EQ(state().WaveFileName,
              "C:\\Sonorin\\录音文件\\录音_从2026-12-6_9.10.00到2026-12-6_9.20.00.wav");
    EXPECT_EQ(count("stop capture"), 1);
    EXPECT_EQ(prompts.boxes.size(), 1u);
}

TEST_F(OfflineTest, ReconnectShowsTheMainWindowAndNavigatesUntilThePageHoldsTheWord) {
    FrmnoConnection& f = offline();
    f.Timer1.tick();
    EXPECT_TRUE(f.visible());
    EXPECT_FALSE(main().visible());

    shell.online = true;
    f.Timer1.tick();
    EXPECT_FALSE(f.visible());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(windows.browser.navigated,
              (std::vector<std::string>{config::portalHost() + "/radio"}));
    EXPECT_TRUE(f.Timer1.running());

    windows.browser.pageText = "新闻 资讯 电台";
    f.Timer1.tick();
    EXPECT_FALSE(f.Timer1.running());
    EXPECT_EQ(windows.browser.navigated.size(), 1u);
}

TEST_F(OfflineTest, WithoutATakeTheMainWindowKeepsItsOwnRecordButton) {
    shell.online = true;
    offline().Timer1.tick();
    EXPECT_TRUE(main().cmdRecord.enabled());
    EXPECT_FALSE(main().cmdStop.enabled());
}

TEST_F(OfflineTest, ARecordingGoesOnIntoTheMainWindowWhichCanStopIt) {
    FrmnoConnection& f = offline();
    f.cmdReset.click();
    f.cmdRecord.click();
    mci.commands.clear();
    shell.online = true;
    f.Timer1.tick();
    EXPECT_EQ(count("stop capture"), 0);
    EXPECT_EQ(count("close all"), 0);
    EXPECT_TRUE(main().cmdStop.enabled());
    EXPECT_FALSE(main().cmdRecord.enabled());
}

TEST_F(OfflineTest, LayoutCentresTheNoticeWithItsPictureBeforeIt) {
    FrmnoConnection& f = offline();
    f.setWidth(5040);
    f.Form_Resize();
    EXPECT_DOUBLE_EQ(f.Label1.left(), (5040 - f.Label1.width()) / 2 + 200);
    EXPECT_DOUBLE_EQ(f.Image1.left(), f.Label1.left() - f.Image1.width() - 100);
}

TEST_F(OfflineTest, MenuCommands) {
    FrmnoConnection& f = offline();
    f.mnuhelpcontent.click();
    f.mnu_website.click();
    f.mnuabout.click();
    ASSERT_EQ(shell.runs.size(), 1u);
    EXPECT_EQ(shell.runs[0].commandLine, "notepad C:\\Sonorin\\help.txt");
    ASSERT_EQ(shell.opens.size(), 1u);
    EXPECT_EQ(shell.opens[0].file, config::makerSite());
    EXPECT_TRUE(program().form<frmAbout>().visible());
}

TEST_F(OfflineTest, ClosingEndsOnlyThisProcessAndARefusedCloseSendsAMinimizedMainToTheTray) {
    FrmnoConnection& f = offline();
    main().StatusBar1.setPanelText(2, "正在录音");
    main().setWindowState(ui::WindowState::Minimized);
    prompts.answers.push_back(MsgAnswer::No);
    EXPECT_FALSE(f.unload(ui::kUnloadFormControlMenu));
    EXPECT_TRUE(program().module1.mainInTray());

    main().StatusBar1.setPanelText(2, "停止");
    EXPECT_TRUE(f.unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(shell.endedWith, (std::vector<int>{0}));
    EXPECT_TRUE(shell.runs.empty()) << "no taskkill of every instance";
    EXPECT_EQ(settings.writes.size(), 6u);  // the five recording settings and the source
}

}  // namespace
}  // namespace sonorin
