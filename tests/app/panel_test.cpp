// The recorder panel of the main window: the buttons' commands, their enabled states, the
// proposed file name and the save dialog.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/AudioRecorder.h"
#include "fakes/mci_commands.h"
#include "fakes/program_fixture.h"
#include "app/frmSettings.h"

namespace sonorin {
namespace {

struct Enabled {
    bool record, stop, play, save;
    friend bool operator==(const Enabled&, const Enabled&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Enabled& e) {
        return os << "record " << e.record << " stop " << e.stop << " play " << e.play << " save "
                  << e.save;
    }
};

class PanelTest : public ProgramFixture {
  protected:
    void SetUp() override {
        program().start();
        mci.commands.clear();
    }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    Enabled enabled() {
        return {main().cmdRecord.enabled(), main().cmdStop.enabled(), main().cmdPlay.enabled(),
                main().cmdSave.enabled()};
    }
    void recording() {
        mci.answer("status capture mode", "recording");
        main().Timer2_Timer();
        ASSERT_EQ(main().indicator(), "正在录音");
        mci.commands.clear();
    }
    bool sent(const std::string& command) {
        return std::find(mci.commands.begin(), mci.commands.end(), command) != mci.commands.end();
    }
};

TEST_F(PanelTest, ButtonsHaveTheirCaptionsToolTipsAndStartStates) {
    AudioRecorder& m = main();
    EXPECT_EQ(enabled(), (Enabled{true, false, false, false}));
    EXPECT_EQ(m.cmdRecord.caption(), "录音");
    EXPECT_EQ(m.cmdRecord.toolTip(), "开始录音");
    EXPECT_EQ(m.cmdStop.toolTip(), "停止录音或回放");
    EXPECT_EQ(m.cmdPlay.caption(), "定时1");
    EXPECT_EQ(m.cmdPlay.toolTip(), "设置定时播音计划");
    EXPECT_EQ(m.cmdSave.toolTip(), "保存录音为wav格式文件");
    EXPECT_EQ(m.cmdReset.toolTip(), "开始新录音或调整所有设置");
    EXPECT_EQ(m.cmdSettings.toolTip(), "进行录音参数设置");
    EXPECT_EQ(m.cmdShijian.caption(), "定时2");
    EXPECT_EQ(m.cmdShijian.toolTip(), "定时关机");
    EXPECT_EQ(m.cmdmore.toolTip(), "更多电台");
    EXPECT_EQ(m.cmdgoback.caption(), "还原");
    EXPECT_EQ(m.cmdgoback.toolTip(), "恢复初始窗口大小");
}

TEST_F(PanelTest, RecordOpensAFreshDeviceAndStarts) {
    clock.current = {2026, 12, 6, 9, 5, 7};
    main().cmdRecord.click();
    std::vector<std::string> expected = mci_commands::openWithFormat();
    expected.push_back("record capture");
    EXPECT_EQ(mci.commands, expected);
    EXPECT_EQ(state().StartTime, clock.current);
    EXPECT_EQ(enabled(), (Enabled{false, true, false, false}));
}

TEST_F(PanelTest, StopProposesTheTakeNameAndSavesWhereTheUserChose) {
    main().cmdRecord.click();
    state().StartTime = {2026, 12, 6, 9, 5, 7};
    clock.current = {2026, 12, 6, 9, 20, 0};
    mci.answer("status capture position", "12500");
    prompts.saveAnswers.push_back(std::string("C:\\Sonorin\\录音文件\\早间新闻.wav"));
    mci.commands.clear();
    main().cmdStop.click();

    EXPECT_EQ(mci.commands.front(), "stop capture");
    EXPECT_EQ(enabled(), (Enabled{true, false, true, false}));
    EXPECT_EQ(main().Slider1.max(), 12500);
    EXPECT_EQ(state().StopTime, clock.current);
    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    const SaveDialogRequest& r = prompts.saveRequests[0];
    EXPECT_EQ(r.fileName, "录音_从2026-12-6_9-05-07到2026-12-6_9-20-00");
    EXPECT_EQ(r.title, "保存录音文件");
    EXPECT_EQ(r.initialFolder, "C:\\Sonorin\\录音文件");
    EXPECT_EQ(r.filter, "WAV file (*.wav*)|*.wav");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_TRUE(sent("save capture C:\\Sonorin\\录音文件\\早间新闻.wav"));
    EXPECT_TRUE(files.exists("C:\\Sonorin\\录音文件\\早间新闻.wav"));
}

TEST_F(PanelTest, MidnightTimesShowOnlyTheDateInTheProposedName) {
    state().StartTime = {2026, 12, 6, 0, 0, 0};
    state().StopTime = {2026, 12, 6, 0, 15, 0};
    EXPECT_EQ(main().proposedFileName(), "录音_从2026-12-6到2026-12-6_0-15-00");
}

TEST_F(PanelTest, CancellingTheSaveDialogLeavesTheTakeUnsaved) {
    main().cmdRecord.click();
    mci.commands.clear();
    main().cmdStop.click();  // the fake dialog cancels when nothing is scripted
    for (const std::string& c : mci.commands)
        EXPECT_NE(c.rfind("save capture", 0), 0u) << c;
    EXPECT_EQ(main().Slider1.max(), 100) << "an empty take sets the maximum to 100";
}

TEST_F(PanelTest, StopDuringPlaybackKeepsTheSliderLength) {
    main().Slider1.setMax(777);
    state().Playing = true;
    mci.answer("status capture position", "5000");
    main().cmdStop.click();
    EXPECT_EQ(main().Slider1.max(), 777);
    EXPECT_FALSE(state().Playing);
}

TEST_F(PanelTest, StopReturnsTheSettingsDialogToImmediateMode) {
    frmSettings& dialog = program().form<frmSettings>();
    dialog.optRecordProgrammed.setValue(true);
    ASSERT_FALSE(state().RecordImmediate);
    main().cmdStop.click();
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_TRUE(dialog.optRecordImmediate.value());
    EXPECT_FALSE(dialog.optRecordProgrammed.value());
    EXPECT_FALSE(dialog.lblTimes.visible());
}

TEST_F(PanelTest, SettingsWhileRecordingAndNoChangesNothing) {
    recording();
    main().cmdRecord.setEnabled(false);
    main().cmdStop.setEnabled(true);
    main().Slider1.setMax(4000);
    prompts.answers.push_back(MsgAnswer::No);
    settings.reads.clear();
    main().cmdSettings.click();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "你正在录音，继续将导致录音停止！继续吗？");
    EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(mci.commands.empty());
    EXPECT_TRUE(settings.reads.empty());
    EXPECT_TRUE(windows.modal.empty());
    EXPECT_EQ(enabled(), (Enabled{false, true, false, false}));
    EXPECT_EQ(main().Slider1.max(), 4000);
}

TEST_F(PanelTest, SettingsResetsTheRecorderAndOpensTheDialogModally) {
    state().ProgrammedDone = true;
    state().RecordImmediate = false;
    state().WaveFileName = "changed.wav";
    settings.values[{"Sonorin", "StartUp", "WaveFileName"}] = "D:\\stored.wav";
    main().Slider1.setMax(4000);
    main().Slider1.setValue(300);
    settings.reads.clear();
    main().cmdSettings.click();
    EXPECT_TRUE(prompts.boxes.empty()) << "no question when not recording";
    EXPECT_EQ(settings.reads, (std::vector<std::string>{"WaveFileName", "WaveAutomaticSave"}));
    EXPECT_EQ(state().WaveFileName, "D:\\stored.wav");
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_FALSE(state().ProgrammedDone);
    EXPECT_EQ(main().Slider1.max(), 100);
    EXPECT_EQ(main().Slider1.value(), 0);
    EXPECT_EQ(enabled(), (Enabled{true, false, false, false}));
    EXPECT_EQ(windows.modal, (std::vector<std::string>{"frmSettings"}));
}

TEST_F(PanelTest, ResetWhileRecordingAndNoChangesNothing) {
    recording();
    prompts.answers.push_back(MsgAnswer::No);
    main().cmdReset.click();
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"你正在录音，继续将导致数据丢失！继续吗？"}));
    EXPECT_TRUE(mci.commands.empty());
}

TEST_F(PanelTest, ResetOnAFirstRunReadsTheDefaultsAndReopensTheDevice) {
    state().Rate = 8000;
    state().Channels = 1;
    state().ProgrammedRunning = true;
    settings.reads.clear();
    main().cmdReset.click();
    EXPECT_EQ(state().Rate, 44100);
    EXPECT_EQ(state().Channels, 2);
    EXPECT_FALSE(state().ProgrammedRunning);
    EXPECT_EQ(settings.reads.size(), 5u);
    EXPECT_EQ(mci.commands, mci_commands::openWithFormat());
    EXPECT_EQ(enabled(), (Enabled{true, false, false, false}));
}

TEST_F(PanelTest, ResetGivesAFileSavedThroughItsShortNameItsLongName) {
    files.addFile("C:\\Rec\\REC1~1.WAV", "RIFF");
    state().SavedShortName = "C:\\Rec\\REC1~1.WAV";
    state().SavedLongName = "C:\\Rec\\rec 1.wav";
    state().RenamePending = true;
    events.clear();
    main().cmdReset.click();
    EXPECT_LT(events.first("mci open new"), events.first("fs renameFile"));
    EXPECT_LT(events.first("mci open new"), events.first("settings read Rate"));
    EXPECT_FALSE(state().RenamePending);
    EXPECT_TRUE(files.exists("C:\\Rec\\rec 1.wav"));
}

TEST_F(PanelTest, SavingOverAnExistingFileReplacesIt) {
    files.addFile("C:\\Sonorin\\录音文件\\早间新闻.wav", "old take");
    main().cmdRecord.click();
    prompts.saveAnswers.push_back(std::string("C:\\Sonorin\\录音文件\\早间新闻.wav"));
    main().cmdStop.click();
    EXPECT_EQ(files.content("C:\\Sonorin\\录音文件\\早间新闻.wav"), mci.take);
    EXPECT_TRUE(prompts.boxes.empty());
}

// The settings dialog, open beside the main window, must not offer Record during a hand take:
// a click on it would discard the take.
TEST_F(PanelTest, TheSettingsDialogLeavesRecordOffWhileAHandTakeRecords) {
    main().cmdRecord.click();
    main().MnuRecord.click();
    frmSettings& d = program().form<frmSettings>();
    d.optRecordImmediate.click();
    d.optRecordImmediate.setValue(true);
    EXPECT_FALSE(main().cmdRecord.enabled());
    recording();
    d.cmdcancle.click();
    EXPECT_FALSE(main().cmdRecord.enabled());
    main().cmdStop.click();
    EXPECT_TRUE(main().cmdRecord.enabled());
}

TEST_F(PanelTest, MoreAndBackToggleTheWidthAndThePanelShares) {
    AudioRecorder& m = main();
    m.cmdmore.click();
    EXPECT_FALSE(m.cmdmore.visible());
    EXPECT_TRUE(m.cmdgoback.visible());
    EXPECT_EQ(m.width(), 10455);
    EXPECT_DOUBLE_EQ(m.StatusBar1.panel(1).width, 0.08 * 10455);
    EXPECT_DOUBLE_EQ(m.StatusBar1.panel(2).width, 0.10 * 10455);
    EXPECT_DOUBLE_EQ(m.StatusBar1.panel(3).width, 10455 * (1 - 0.08 - 0.10));
    m.cmdgoback.click();
    EXPECT_TRUE(m.cmdmore.visible());
    EXPECT_FALSE(m.cmdgoback.visible());
    EXPECT_EQ(m.width(), 5040);
    EXPECT_DOUBLE_EQ(m.StatusBar1.panel(1).width, 0.15 * 5040);
    EXPECT_DOUBLE_EQ(m.StatusBar1.panel(2).width, 0.21 * 5040);
}

TEST_F(PanelTest, LayoutSpreadsSevenEqualSlotsAndCentresTheWindow) {
    AudioRecorder& m = main();
    m.setWidth(5040);
    m.Form_Resize();
    EXPECT_DOUBLE_EQ(m.cmdRecord.width(), 720);
    EXPECT_DOUBLE_EQ(m.cmdStop.left(), 720);
    EXPECT_DOUBLE_EQ(m.cmdPlay.left(), 1440);
    EXPECT_DOUBLE_EQ(m.cmdShijian.left(), 2160);
    EXPECT_DOUBLE_EQ(m.cmdReset.left(), 2880);
    EXPECT_DOUBLE_EQ(m.cmdSettings.left(), 3600);
    EXPECT_DOUBLE_EQ(m.cmdmore.left(), 4320);
    EXPECT_DOUBLE_EQ(m.cmdgoback.left(), 4320);
    EXPECT_DOUBLE_EQ(m.WebBrowser1.top(), 725);
    EXPECT_DOUBLE_EQ(m.WebBrowser1.left(), -30);
    EXPECT_DOUBLE_EQ(m.left(), windows.screenW / 2 - 5040 / 2);
    EXPECT_DOUBLE_EQ(m.top(), windows.screenH / 2 - m.height() / 2);
    m.setWidth(10455);
    m.Form_Resize();
    EXPECT_NEAR(m.cmdStop.left(), 1493.57, 0.01);
}

}  // namespace
}  // namespace sonorin
