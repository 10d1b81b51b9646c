// The recorder panel of both recorder windows: the buttons' commands, their enabled states, the
// width toggle and the button row. What the two windows share is tested on both; then what
// only the main window does (the save dialog after Stop, its layout around the radio pane)
// and what only the offline window does (playback, the unsaved-take mark and its question).
#include "app/recorder_panel.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/frmSettings.h"
#include "app/recorder_window_fixture.h"
#include "fakes/mci_commands.h"

namespace sonorin {
namespace {

class RecorderPanelTest : public RecorderWindowFixture,
                          public ::testing::WithParamInterface<RecorderWindow> {
  protected:
    void SetUp() override { startWith(GetParam()); }
    // The monitor shows the device recording.
    void showRecording() {
        mci.answer("status capture mode", "recording");
        panel().runMonitor();
        ASSERT_EQ(panel().indicator(), "正在录音");
        mci.commands.clear();
    }
};

INSTANTIATE_TEST_SUITE_P(BothWindows, RecorderPanelTest,
                         ::testing::Values(RecorderWindow::Main, RecorderWindow::Offline),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

TEST_P(RecorderPanelTest, ButtonsHaveTheirCaptionsToolTipsAndStartStates) {
    RecorderPanel& p = panel();
    const std::tuple<ui::Button*, const char*, const char*> faces[] = {
        {&p.cmdRecord, "录音", "开始录音"},
        {&p.cmdStop, "停止", "停止录音或回放"},
        {&p.cmdPlay, "定时1", inMain() ? "设置定时播音计划" : "录音回放"},
        {&p.cmdSave, "保存", "保存录音为wav格式文件"},
        {&p.cmdReset, "重置", "开始新录音或调整所有设置"},
        {&p.cmdSettings, "设置", "进行录音参数设置"},
        {&p.cmdShijian, "定时2", "定时关机"},
        {&p.cmdmore, "更多", "更多电台"},
        {&p.cmdgoback, "还原", "恢复初始窗口大小"},
    };
    for (const auto& [button, caption, toolTip] : faces) {
        EXPECT_EQ(button->caption(), caption);
        EXPECT_EQ(button->toolTip(), toolTip) << caption;
    }
    EXPECT_EQ(buttons(), inMain() ? "1000" : "0000");
    for (ui::Button* b : {&p.cmdShijian, &p.cmdmore, &p.cmdgoback, &p.cmdSettings, &p.cmdReset})
        EXPECT_TRUE(b->enabled()) << b->name();
    EXPECT_FALSE(p.cmdSave.visible()) << "no take to save yet";
    EXPECT_TRUE(p.cmdmore.visible());
    EXPECT_FALSE(p.cmdgoback.visible());
}

// The row is the window's first controls, in tab order, ahead of whatever the window adds.
TEST_P(RecorderPanelTest, TheButtonsAreTheWindowsFirstControlsInTabOrder) {
    const std::vector<ui::Control*>& controls = window().controls();
    ASSERT_GT(controls.size(), 9u);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < 9; ++i)
        names.push_back(controls[i]->name());
    EXPECT_EQ(names,
              (std::vector<std::string>{"cmdRecord", "cmdStop", "cmdPlay", "cmdShijian", "cmdReset",
                                        "cmdSettings", "cmdmore", "cmdgoback", "cmdSave"}));
}

TEST_P(RecorderPanelTest, RecordOpensAFreshDeviceAndStarts) {
    clock.current = {2026, 12, 6, 9, 5, 7};
    panel().cmdPlay.setEnabled(true);
    panel().cmdSave.setEnabled(true);
    panel().cmdRecord.click();
    std::vector<std::string> expected = mci_commands::openWithFormat();
    expected.push_back("record capture");
    EXPECT_EQ(mci.commands, expected);
    EXPECT_EQ(state().StartTime, clock.current);
    // The offline window cannot play back or keep a take during a recording.
    EXPECT_EQ(buttons(), inMain() ? "0111" : "0100");
}

TEST_P(RecorderPanelTest, StopEndsTheTakeAndTheSliderTakesItsLength) {
    panel().cmdRecord.click();
    clock.current = {2026, 12, 6, 9, 20, 0};
    mci.answer("status capture position", "12500");
    mci.commands.clear();
    panel().cmdStop.click();
    EXPECT_EQ(mci.commands.front(), "stop capture");
    EXPECT_EQ(buttons(), inMain() ? "1010" : "1011");
    EXPECT_EQ(panel().Slider1.max(), 12500);
    EXPECT_EQ(state().StopTime, clock.current);
    EXPECT_EQ(prompts.saveRequests.size(), inMain() ? 1u : 0u);
}

TEST_P(RecorderPanelTest, StoppingAnEmptyTakeOrAPlaybackLeavesTheLengthAlone) {
    panel().cmdStop.click();
    EXPECT_EQ(panel().Slider1.max(), 100) << "an empty take sets the maximum to 100";
    panel().Slider1.setMax(777);
    state().Playing = true;
    mci.answer("status capture position", "5000");
    panel().cmdStop.click();
    EXPECT_EQ(panel().Slider1.max(), 777);
    EXPECT_FALSE(state().Playing);
}

TEST_P(RecorderPanelTest, StopReturnsTheSettingsDialogToImmediateMode) {
    frmSettings& dialog = program().form<frmSettings>();
    dialog.optRecordProgrammed.setValue(true);
    ASSERT_FALSE(state().RecordImmediate);
    panel().cmdStop.click();
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_TRUE(dialog.optRecordImmediate.value());
    EXPECT_FALSE(dialog.optRecordProgrammed.value());
    EXPECT_FALSE(dialog.lblTimes.visible());
}

TEST_P(RecorderPanelTest, SettingsWhileRecordingAndNoChangesNothing) {
    showRecording();
    panel().cmdRecord.setEnabled(false);
    panel().cmdStop.setEnabled(true);
    panel().Slider1.setMax(4000);
    prompts.answers.push_back(MsgAnswer::No);
    settings.reads.clear();
    panel().cmdSettings.click();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "你正在录音，继续将导致录音停止！继续吗？");
    EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(mci.commands.empty());
    EXPECT_TRUE(settings.reads.empty());
    EXPECT_TRUE(windows.modal.empty());
    EXPECT_EQ(buttons(), "0100");
    EXPECT_EQ(panel().Slider1.max(), 4000);
}

TEST_P(RecorderPanelTest, SettingsResetsTheRecorderAndOpensTheDialogModally) {
    state().ProgrammedDone = true;
    state().RecordImmediate = false;
    state().WaveFileName = "changed.wav";
    settings.values[{"Sonorin", "StartUp", "WaveFileName"}] = "D:\\stored.wav";
    panel().cmdStop.setEnabled(true);
    panel().Slider1.setMax(4000);
    panel().Slider1.setValue(300);
    settings.reads.clear();
    panel().cmdSettings.click();
    EXPECT_TRUE(prompts.boxes.empty()) << "no question when not recording";
    EXPECT_EQ(settings.reads, (std::vector<std::string>{"WaveFileName", "WaveAutomaticSave"}));
    EXPECT_EQ(state().WaveFileName, "D:\\stored.wav");
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_FALSE(state().ProgrammedDone);
    EXPECT_EQ(panel().Slider1.max(), 100);
    EXPECT_EQ(panel().Slider1.value(), 0);
    EXPECT_EQ(buttons(), "1000");
    EXPECT_EQ(windows.modal, (std::vector<std::string>{"frmSettings"}));
}

TEST_P(RecorderPanelTest, ResetWhileRecordingAndNoChangesNothing) {
    showRecording();
    prompts.answers.push_back(MsgAnswer::No);
    panel().cmdReset.click();
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"你正在录音，继续将导致数据丢失！继续吗？"}));
    EXPECT_TRUE(mci.commands.empty());
}

TEST_P(RecorderPanelTest, ResetOnAFirstRunReadsTheDefaultsAndReopensTheDevice) {
    state().Rate = 8000;
    state().Channels = 1;
    state().ProgrammedRunning = true;
    panel().cmdStop.setEnabled(true);
    settings.reads.clear();
    panel().cmdReset.click();
    EXPECT_EQ(state().Rate, 44100);
    EXPECT_EQ(state().Channels, 2);
    EXPECT_FALSE(state().ProgrammedRunning);
    EXPECT_EQ(settings.reads.size(), 6u);  // the five recording settings and the source
    EXPECT_EQ(mci.commands, mci_commands::openWithFormat());
    EXPECT_EQ(buttons(), "1000");
}

TEST_P(RecorderPanelTest, ResetGivesAFileSavedThroughItsShortNameItsLongName) {
    files.addFile("C:\\Rec\\REC1~1.WAV", "RIFF");
    state().SavedShortName = "C:\\Rec\\REC1~1.WAV";
    state().SavedLongName = "C:\\Rec\\rec 1.wav";
    state().RenamePending = true;
    events.clear();
    panel().cmdReset.click();
    EXPECT_LT(events.first("mci open new"), events.first("fs renameFile"));
    EXPECT_LT(events.first("mci open new"), events.first("settings read Rate"));
    EXPECT_FALSE(state().RenamePending);
    EXPECT_TRUE(files.exists("C:\\Rec\\rec 1.wav"));
}

TEST_P(RecorderPanelTest, MoreAndBackToggleTheWidthAndThePanelShares) {
    RecorderPanel& p = panel();
    const ui::StatusBar& bar = p.StatusBar1;
    p.cmdmore.click();
    EXPECT_FALSE(p.cmdmore.visible());
    EXPECT_TRUE(p.cmdgoback.visible());
    EXPECT_EQ(window().width(), 10455);
    EXPECT_DOUBLE_EQ(bar.panel(1).width, 0.08 * 10455);
    EXPECT_DOUBLE_EQ(bar.panel(2).width, 0.10 * 10455);
    EXPECT_DOUBLE_EQ(bar.panel(3).width, 10455 * (1 - 0.08 - 0.10));
    p.cmdgoback.click();
    EXPECT_TRUE(p.cmdmore.visible());
    EXPECT_FALSE(p.cmdgoback.visible());
    EXPECT_EQ(window().width(), 5040);
    EXPECT_DOUBLE_EQ(bar.panel(1).width, 0.15 * 5040);
    EXPECT_DOUBLE_EQ(bar.panel(2).width, 0.21 * 5040);
}

TEST_P(RecorderPanelTest, LayoutSpreadsSevenEqualSlotsAndTheCompactShares) {
    RecorderPanel& p = panel();
    p.StatusBar1.setPanelWidth(1, 0);
    window().setWidth(5040);
    window().Form_Resize();
    EXPECT_DOUBLE_EQ(p.cmdRecord.width(), 720);
    EXPECT_DOUBLE_EQ(p.cmdStop.left(), 720);
    EXPECT_DOUBLE_EQ(p.cmdPlay.left(), 1440);
    EXPECT_DOUBLE_EQ(p.cmdShijian.left(), 2160);
    EXPECT_DOUBLE_EQ(p.cmdReset.left(), 2880);
    EXPECT_DOUBLE_EQ(p.cmdSettings.left(), 3600);
    EXPECT_DOUBLE_EQ(p.cmdmore.left(), 4320);
    EXPECT_DOUBLE_EQ(p.cmdgoback.left(), 4320);
    EXPECT_DOUBLE_EQ(p.cmdgoback.top(), p.cmdmore.top());
    EXPECT_DOUBLE_EQ(p.StatusBar1.panel(1).width, 0.15 * 5040);
    window().setWidth(10455);
    window().Form_Resize();
    EXPECT_NEAR(p.cmdStop.left(), 1493.57, 0.01);
}

// A programmed take with manual save ends with "请点击“保存”按钮保存录音。": "保存" shows under
// "录音" while the stopped take is unsaved, never during the take, and saves it through the
// save dialog.
TEST_P(RecorderPanelTest, SaveShowsForAnUnsavedStoppedTakeAndSavesIt) {
    RecorderPanel& p = panel();
    clock.current = {2026, 12, 6, 19, 59, 0};
    state().StartTime = {2026, 12, 6, 20, 0, 0};
    state().StopTime = {2026, 12, 6, 20, 15, 0};
    state().WaveAutomaticSave = false;
    program().form<frmSettings>().optRecordProgrammed.setValue(true);
    clock.current = {2026, 12, 6, 20, 0, 5};
    mci.answer("status capture mode", "recording");
    p.runMonitor();
    ASSERT_TRUE(state().ProgrammedRunning);
    EXPECT_FALSE(p.cmdSave.visible());

    clock.current = {2026, 12, 6, 20, 15, 1};
    mci.answer("status capture mode", "stopped");
    bool usableUnderTheMessage = false;
    prompts.onMessageBox = [&](const FakePrompts::Box&) {
        usableUnderTheMessage = p.cmdSave.visible() && p.cmdSave.enabled();
    };
    p.runMonitor();
    ASSERT_EQ(prompts.texts(),
              (std::vector<std::string>{"录音完成！\r\n请点击“保存”按钮保存录音。"}));
    EXPECT_TRUE(usableUnderTheMessage);
    window().Form_Resize();
    EXPECT_DOUBLE_EQ(p.cmdSave.left(), p.cmdRecord.left());
    EXPECT_DOUBLE_EQ(p.cmdSave.top(), p.cmdRecord.top() + p.cmdRecord.height());

    const std::string file = "C:\\Sonorin\\录音文件\\晚间新闻.wav";
    prompts.saveAnswers.push_back(file);
    p.cmdSave.click();
    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(prompts.saveRequests[0].title, "保存录音文件");
    EXPECT_TRUE(files.exists(file));
    p.runMonitor();
    EXPECT_FALSE(p.cmdSave.visible()) << "nothing left to save";
}

// The main window: the save dialog follows Stop, and a take is discarded without a question.

class MainPanelTest : public RecorderWindowFixture {
  protected:
    void SetUp() override { startWith(RecorderWindow::Main); }
};

TEST_F(MainPanelTest, StopProposesTheTakeNameAndSavesWhereTheUserChose) {
    main().cmdRecord.click();
    state().StartTime = {2026, 12, 6, 9, 5, 7};
    clock.current = {2026, 12, 6, 9, 20, 0};
    prompts.saveAnswers.push_back(std::string("C:\\Sonorin\\录音文件\\早间新闻.wav"));
    main().cmdStop.click();
    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    const SaveDialogRequest& r = prompts.saveRequests[0];
    EXPECT_EQ(r.fileName, "录音_从2026-12-6_9-05-07到2026-12-6_9-20-00");
    EXPECT_EQ(r.title, "保存录音文件");
    EXPECT_EQ(r.initialFolder, "C:\\Sonorin\\录音文件");
    EXPECT_EQ(r.filter, "WAV file (*.wav*)|*.wav");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_EQ(count("save capture C:\\Sonorin\\录音文件\\早间新闻.wav"), 1);
    EXPECT_TRUE(files.exists("C:\\Sonorin\\录音文件\\早间新闻.wav"));
}

TEST_F(MainPanelTest, MidnightTimesShowOnlyTheDateInTheProposedName) {
    state().StartTime = {2026, 12, 6, 0, 0, 0};
    state().StopTime = {2026, 12, 6, 0, 15, 0};
    EXPECT_EQ(main().panel.proposedFileName(), "录音_从2026-12-6到2026-12-6_0-15-00");
}

TEST_F(MainPanelTest, ACancelledSaveLeavesTheTakeUnsavedAndResetDiscardsItWithoutAsking) {
    main().cmdRecord.click();
    main().cmdStop.click();  // the fake dialog cancels when nothing is scripted
    for (const std::string& c : mci.commands)
        EXPECT_NE(c.rfind("save capture", 0), 0u) << c;
    EXPECT_FALSE(main().cmdSave.enabled());
    mci.commands.clear();
    main().cmdReset.click();
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(mci.commands, mci_commands::openWithFormat());
}

TEST_F(MainPanelTest, SavingOverAnExistingFileReplacesIt) {
    files.addFile("C:\\Sonorin\\录音文件\\早间新闻.wav", "old take");
    main().cmdRecord.click();
    prompts.saveAnswers.push_back(std::string("C:\\Sonorin\\录音文件\\早间新闻.wav"));
    main().cmdStop.click();
    EXPECT_EQ(files.content("C:\\Sonorin\\录音文件\\早间新闻.wav"), mci.take);
    EXPECT_TRUE(prompts.boxes.empty());
}

// The settings dialog, open beside the main window, must not offer Record during a hand take:
// a click on it would discard the take.
TEST_F(MainPanelTest, TheSettingsDialogLeavesRecordOffWhileAHandTakeRecords) {
    main().cmdRecord.click();
    main().MnuRecord.click();
    frmSettings& d = program().form<frmSettings>();
    d.optRecordImmediate.click();
    d.optRecordImmediate.setValue(true);
    EXPECT_FALSE(main().cmdRecord.enabled());
    mci.answer("status capture mode", "recording");
    main().Timer2_Timer();
    d.cmdcancle.click();
    EXPECT_FALSE(main().cmdRecord.enabled());
    main().cmdStop.click();
    EXPECT_TRUE(main().cmdRecord.enabled());
}

TEST_F(MainPanelTest, LayoutHangsTheRadioPaneUnderTheRowAndCentresTheWindow) {
    AudioRecorder& m = main();
    m.setWidth(5040);
    m.Form_Resize();
    EXPECT_DOUBLE_EQ(m.WebBrowser1.top(), 725);
    EXPECT_DOUBLE_EQ(m.WebBrowser1.left(), -30);
    EXPECT_DOUBLE_EQ(m.left(), windows.screenW / 2 - 5040 / 2);
    EXPECT_DOUBLE_EQ(m.top(), windows.screenH / 2 - m.height() / 2);
}

// The offline window: cmdPlay plays the take back, and cmdSave's enabled state marks a stopped
// take that Settings and Reset ask about before they discard it.

class OfflinePanelTest : public RecorderWindowFixture {
  protected:
    void SetUp() override { startWith(RecorderWindow::Offline); }
};

TEST_F(OfflinePanelTest, TheButtonsFollowTheirStateTable) {
    FrmnoConnection& f = offline();
    f.Timer2.tick();  // the idle device reports "停止"
    EXPECT_EQ(buttons(), "0010");
    f.Slider1.setMax(4000);
    f.Slider1.setValue(1500);
    f.cmdPlay.click();
    EXPECT_EQ(buttons(), "0100");
    EXPECT_TRUE(state().Playing);
    EXPECT_EQ(mci.commands.back(), "play capture from 1500");
    f.cmdStop.click();
    EXPECT_EQ(buttons(), "1011");
    f.cmdRecord.click();
    EXPECT_EQ(buttons(), "0100");
    f.cmdStop.click();
    EXPECT_EQ(buttons(), "1011");
    f.cmdReset.click();  // answered Yes by default
    EXPECT_EQ(buttons(), "1000");
    f.cmdStop.click();
    f.cmdSettings.click();
    EXPECT_EQ(buttons(), "1000");
}

TEST_F(OfflinePanelTest, DiscardingAnUnsavedTakeAsksFirstAndNoKeepsIt) {
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

TEST_F(OfflinePanelTest, WhileRecordingTheRecordingQuestionComesFirst) {
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

}  // namespace
}  // namespace sonorin
