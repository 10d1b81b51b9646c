// The offline recorder window: its buttons and their state table, the unsaved-take questions,
// its own monitor beside the main window's, the reconnect check and its layout.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/frmAbout.h"
#include "app/AudioRecorder.h"
#include "app/FrmnoConnection.h"
#include "app/config.h"
#include "fakes/program_fixture.h"
#include "app/frmSettings.h"

namespace sonorin {
namespace {

class OfflineTest : public ProgramFixture {
  protected:
    void SetUp() override {
        shell.online = false;
        program().start();
        mci.commands.clear();
    }
    FrmnoConnection& offline() { return program().form<FrmnoConnection>(); }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    // cmdRecord, cmdStop, cmdPlay, cmdSave as "1010".
    std::string buttons() {
        FrmnoConnection& f = offline();
        std::string s;
        for (ui::Button* b : {&f.cmdRecord, &f.cmdStop, &f.cmdPlay, &f.cmdSave})
            s += b->enabled() ? '1' : '0';
        return s;
    }
    int count(const std::string& command) {
        return static_cast<int>(std::count(mci.commands.begin(), mci.commands.end(), command));
    }
    void arm() {
        state().StartTime = {2026, 12, 6, 9, 10, 0};
        state().StopTime = {2026, 12, 6, 9, 20, 0};
        state().WaveAutomaticSave = true;
        program().form<frmSettings>().optRecordProgrammed.setValue(true);
    }
};

TEST_F(OfflineTest, CreatedWithOnlyTheWindowButtonsAndSettingsAndResetUsable) {
    FrmnoConnection& f = offline();
    EXPECT_EQ(buttons(), "0000");
    EXPECT_FALSE(f.cmdSave.visible());
    for (ui::Button* b : {&f.cmdShijian, &f.cmdmore, &f.cmdgoback, &f.cmdSettings, &f.cmdReset})
        EXPECT_TRUE(b->enabled()) << b->name();
    EXPECT_EQ(f.cmdPlay.caption(), "定时1");
    EXPECT_EQ(f.cmdPlay.toolTip(), "录音回放");
    EXPECT_TRUE(f.cmdmore.visible());
    EXPECT_FALSE(f.cmdgoback.visible());
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

TEST_F(OfflineTest, TheButtonsFollowTheirStateTable) {
    FrmnoConnection& f = offline();
    f.Timer2.tick();  // the idle device reports "停止"
    EXPECT_EQ(buttons(), "0010");
    f.cmdPlay.click();
    EXPECT_EQ(buttons(), "0100");
    EXPECT_TRUE(state().Playing);
    EXPECT_EQ(mci.commands.back(), "play capture from 0");
    f.cmdStop.click();
    EXPECT_EQ(buttons(), "1011");
    EXPECT_TRUE(prompts.saveRequests.empty()) << "no save dialog in the offline window";
    f.cmdRecord.click();
    EXPECT_EQ(buttons(), "0100");
    EXPECT_EQ(state().StartTime, clock.current);
    EXPECT_EQ(mci.commands.back(), "record capture");
    f.cmdStop.click();
    EXPECT_EQ(buttons(), "1011");
    EXPECT_EQ(state().StopTime, clock.current);
    f.cmdReset.click();  // answered Yes by default
    EXPECT_EQ(buttons(), "1000");
    f.cmdStop.click();
    f.cmdSettings.click();
    EXPECT_EQ(buttons(), "1000");
    EXPECT_EQ(windows.modal, (std::vector<std::string>{"frmSettings"}));
}

TEST_F(OfflineTest, DiscardingAnUnsavedTakeAsksFirstAndNoKeepsIt) {
    FrmnoConnection& f = offline();
    f.cmdRecord.click();
    f.cmdStop.click();
    mci.commands.clear();
    prompts.answers = {MsgAnswer::No, MsgAnswer::No};
    f.cmdSettings.click();
    f.cmdReset.click();
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{
                  "你刚才的录音还没有保存，继续将导致它不能再保存。\r你确定不再保存它吗？",
                  "你刚才的录音还没有保存，继续将导致数据丢失！继续吗？"}));
    for (const FakePrompts::Box& box : prompts.boxes) {
        EXPECT_EQ(box.title, "星澜网络收音机");
        EXPECT_EQ(box.buttons, MsgButtons::YesNo);
    }
    EXPECT_EQ(buttons(), "1011");
    EXPECT_TRUE(mci.commands.empty());
    EXPECT_TRUE(windows.modal.empty());
}

TEST_F(OfflineTest, WhileRecordingTheRecordingQuestionComesFirst) {
    FrmnoConnection& f = offline();
    f.StatusBar1.setPanelText(2, "正在录音");
    f.cmdSave.setEnabled(true);
    prompts.answers = {MsgAnswer::Yes, MsgAnswer::No};
    f.cmdReset.click();
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"你正在录音，继续将导致数据丢失！继续吗？",
                                        "你刚才的录音还没有保存，继续将导致数据丢失！继续吗？"}));
    EXPECT_TRUE(f.cmdSave.enabled());
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

TEST_F(OfflineTest, LayoutPlacesTheNoticeAndSevenEqualSlots) {
    FrmnoConnection& f = offline();
    f.setWidth(5040);
    f.Form_Resize();
    EXPECT_DOUBLE_EQ(f.Label1.left(), (5040 - f.Label1.width()) / 2 + 200);
    EXPECT_DOUBLE_EQ(f.Image1.left(), f.Label1.left() - f.Image1.width() - 100);
    EXPECT_DOUBLE_EQ(f.cmdRecord.width(), 720);
    EXPECT_DOUBLE_EQ(f.cmdmore.left(), 6 * 720);
    EXPECT_DOUBLE_EQ(f.cmdShijian.left(), 3 * 720);
    EXPECT_DOUBLE_EQ(f.StatusBar1.panel(1).width, 0.15 * 5040);
    f.cmdmore.click();
    EXPECT_DOUBLE_EQ(f.width(), 10455);
    EXPECT_DOUBLE_EQ(f.StatusBar1.panel(2).width, 0.10 * 10455);
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
    EXPECT_EQ(settings.writes.size(), 5u);
}

}  // namespace
}  // namespace sonorin
