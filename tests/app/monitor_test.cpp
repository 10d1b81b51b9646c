// The programmed-recording monitor: the status texts of every tick and the states
// Immediate -> Armed -> Running -> Done.
#include <gtest/gtest.h>

#include "app/frmSettings.h"
#include "app/recorder_window_fixture.h"

namespace sonorin {
namespace {

class MonitorTest : public RecorderWindowFixture {
  protected:
    void SetUp() override {
        clock.current = {2026, 12, 6, 19, 59, 0};
        startWith(RecorderWindow::Main);
    }
    void tick() { main().Timer2.tick(); }
    // Arms a programmed recording 20:00:00 to 20:15:00 through the settings dialog.
    void arm(bool automaticSave = true) {
        state().StartTime = {2026, 12, 6, 20, 0, 0};
        state().StopTime = {2026, 12, 6, 20, 15, 0};
        state().WaveAutomaticSave = automaticSave;
        program().form<frmSettings>().optRecordProgrammed.setValue(true);
        ASSERT_FALSE(state().RecordImmediate);
        mci.commands.clear();
    }
    // Arms 20:00:00 to 20:15:00 and lets the monitor start the take.
    void runProgrammedTake(bool automaticSave = true) {
        arm(automaticSave);
        mci.answer("status capture mode", "recording");
        clock.current = {2026, 12, 6, 20, 0, 5};
        tick();
        ASSERT_TRUE(state().ProgrammedRunning);
        mci.commands.clear();
    }
    // The first tick after the stop time; the device reports "stopped" once it has stopped.
    void tickAfterTheStopTime() {
        clock.current = {2026, 12, 6, 20, 15, 1};
        mci.queue("status capture mode", {0, "recording"});
        mci.answer("status capture mode", "stopped");
        tick();
    }
    frmSettings& dialogFromTheMenu() {
        main().MnuRecord.click();
        return program().form<frmSettings>();
    }
};

TEST_F(MonitorTest, ImmediateModeOnlyRefreshesTheTexts) {
    main().cmdStop.setEnabled(true);
    tick();
    const std::string description = state().WaveDescription;
    EXPECT_EQ(description.rfind("时长: 0秒( 0字节)\r\n", 0), 0u) << description;
    EXPECT_EQ(main().StatisticsLabel.caption(), description);
    EXPECT_EQ(main().StatusBar1.panel(3).text, description);
    EXPECT_EQ(main().StatusBar1.panel(1).text, "录音机:");
    EXPECT_EQ(main().StatusBar1.panel(2).text, "停止");
    EXPECT_FALSE(main().cmdStop.enabled());
    EXPECT_TRUE(main().cmdPlay.enabled());
    EXPECT_EQ(program().form<frmSettings>().lblTimes.caption(),
              "Start time:  2026/12/6 20:14:00\r\nStop time:  2026/12/6 20:29:00");
    clock.advanceSeconds(3600);
    tick();
    EXPECT_EQ(count("record capture"), 0);
    EXPECT_EQ(count("stop capture"), 0);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorTest, OtherDeviceModesStayInEnglishAndLeaveTheButtons) {
    mci.answer("status capture mode", "recording");
    main().cmdStop.setEnabled(true);
    tick();
    EXPECT_EQ(main().indicator(), "正在录音");
    EXPECT_TRUE(main().cmdStop.enabled());
    mci.answer("status capture mode", "paused");
    tick();
    EXPECT_EQ(main().indicator(), "paused");
}

TEST_F(MonitorTest, WhileArmedTheDescriptionCarriesTheModeAndTheTimes) {
    arm(true);
    tick();
    const std::string& d = state().WaveDescription;
    const std::string tail =
        "Programmed recording (automatic save)\r\n\r\nStart time:  2026/12/6 20:00:00\r\n"
        "Stop time:  2026/12/6 20:15:00";
    ASSERT_GE(d.size(), tail.size());
    EXPECT_EQ(d.substr(d.size() - tail.size()), tail);
    EXPECT_NE(d.find("samples per second \r\n\r\nProgrammed recording"), std::string::npos);
    arm(false);
    tick();
    EXPECT_NE(state().WaveDescription.find("Programmed recording (manual save)\r\n\r\n"),
              std::string::npos);
}

TEST_F(MonitorTest, ArmedRecordingStartsOnlyAfterItsStartTime) {
    arm();
    clock.current = {2026, 12, 6, 20, 0, 0};  // equal is not later
    tick();
    EXPECT_EQ(count("record capture"), 0);
    EXPECT_FALSE(state().ProgrammedRunning);
    clock.advanceSeconds(1);
    tick();
    EXPECT_TRUE(state().ProgrammedRunning);
    EXPECT_EQ(count("close all"), 1);
    EXPECT_EQ(count("open new type waveaudio alias capture"), 1);
    EXPECT_EQ(count("record capture"), 1);
    EXPECT_TRUE(main().cmdStop.enabled());
    EXPECT_FALSE(main().cmdPlay.enabled());
    EXPECT_FALSE(main().cmdSave.enabled());
    EXPECT_FALSE(main().cmdRecord.enabled());
    clock.advanceSeconds(60);
    tick();
    EXPECT_EQ(count("record capture"), 1) << "a running recording is not started again";
}

TEST_F(MonitorTest, RunningRecordingStopsAfterItsStopTimeAndSavesItself) {
    arm(true);
    clock.current = {2026, 12, 6, 20, 0, 1};
    tick();
    mci.answer("status capture position", "899000");
    clock.current = {2026, 12, 6, 20, 15, 0};
    tick();
    EXPECT_EQ(count("stop capture"), 0);
    clock.advanceSeconds(1);
    tick();
    const std::string name =
        "C:\\Sonorin\\录音文件\\录音_从2026-12-6_20.00.00到2026-12-6_20.15.00.wav";
    EXPECT_EQ(count("stop capture"), 1);
    EXPECT_EQ(count("save capture " + name), 1);
    EXPECT_EQ(state().WaveFileName, name);
    EXPECT_EQ(main().Slider1.max(), 899000);
    EXPECT_TRUE(state().ProgrammedDone);
    EXPECT_FALSE(state().ProgrammedRunning);
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_TRUE(main().cmdRecord.enabled()) << "through the settings dialog";
    EXPECT_TRUE(main().cmdSave.enabled());
    EXPECT_TRUE(main().cmdPlay.enabled());
    EXPECT_FALSE(main().cmdStop.enabled());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "你的计划录音已完成，录音已被保存！\r\n文件名: " + name);
    EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(program().form<frmSettings>().optRecordImmediate.value());
}

TEST_F(MonitorTest, ManualSaveOnlyTellsTheUser) {
    arm(false);
    clock.current = {2026, 12, 6, 20, 16, 0};
    mci.answer("status capture position", "0");
    tick();  // start and stop in one tick: the start test runs first
    EXPECT_EQ(count("record capture"), 1);
    EXPECT_EQ(count("stop capture"), 1);
    for (const std::string& c : mci.commands)
        EXPECT_NE(c.rfind("save capture", 0), 0u);
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"录音完成！\r\n请点击“保存”按钮保存录音。"}));
    EXPECT_EQ(main().Slider1.max(), 100);
}

TEST_F(MonitorTest, StopTimePassingBeforeTheStartStillEndsTheArmedRecording) {
    arm(true);
    state().StartTime = {2026, 12, 6, 21, 0, 0};
    state().StopTime = {2026, 12, 6, 20, 30, 0};
    clock.current = {2026, 12, 6, 20, 45, 0};
    tick();
    EXPECT_EQ(count("record capture"), 0);
    EXPECT_EQ(count("stop capture"), 1);
    EXPECT_TRUE(state().ProgrammedDone);
    EXPECT_EQ(count("save capture C:\\Sonorin\\录音文件\\"
                    "录音_从2026-12-6_21.00.00到2026-12-6_20.30.00.wav"),
              1);
}

TEST_F(MonitorTest, TicksWhileTheCompletionMessageIsOpenChangeNothing) {
    arm(true);
    clock.current = {2026, 12, 6, 20, 20, 0};
    int nestedTicks = 0;
    std::vector<std::string> commandsBeforeBox;
    prompts.onMessageBox = [&](const FakePrompts::Box&) {
        commandsBeforeBox = mci.commands;
        for (int i = 0; i < 5; ++i, ++nestedTicks)
            tick();
    };
    tick();
    EXPECT_EQ(nestedTicks, 5);
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(mci.commands, commandsBeforeBox);
    EXPECT_EQ(count("stop capture"), 1);
}

TEST_F(MonitorTest, AProgrammedRecordingStoppedByHandIsNeitherRestartedNorSaved) {
    arm(true);
    clock.current = {2026, 12, 6, 20, 0, 5};
    tick();
    ASSERT_TRUE(state().ProgrammedRunning);
    mci.answer("status capture position", "4000");
    main().cmdStop.click();  // the save dialog is cancelled
    EXPECT_TRUE(state().ProgrammedDone);
    EXPECT_EQ(main().Slider1.max(), 4000);
    mci.commands.clear();
    clock.current = {2026, 12, 6, 20, 30, 0};
    tick();
    tick();
    EXPECT_EQ(count("record capture"), 0);
    EXPECT_EQ(count("stop capture"), 0);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorTest, SettingsClearsDoneSoTheNextArmedRecordingRuns) {
    arm(true);
    clock.current = {2026, 12, 6, 20, 20, 0};
    tick();
    ASSERT_TRUE(state().ProgrammedDone);
    main().cmdSettings.click();
    EXPECT_FALSE(state().ProgrammedDone);
    state().StartTime = {2026, 12, 6, 20, 21, 0};
    state().StopTime = {2026, 12, 6, 20, 22, 0};
    program().form<frmSettings>().optRecordProgrammed.setValue(true);
    mci.commands.clear();
    clock.current = {2026, 12, 6, 20, 21, 30};
    tick();
    EXPECT_TRUE(state().ProgrammedRunning);
}

const std::string kProgrammedFile =
    "C:\\Sonorin\\录音文件\\录音_从2026-12-6_20.00.00到2026-12-6_20.15.00.wav";

TEST_F(MonitorTest, ClickingTheSelectedProgrammedOptionAgainMovesNoTimes) {
    arm(true);
    frmSettings& d = dialogFromTheMenu();
    clock.current = {2026, 12, 6, 20, 0, 1};  // armed, start passed, not yet started
    d.optRecordProgrammed.click();
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 6, 20, 0, 0}));
    tick();
    ASSERT_TRUE(state().ProgrammedRunning);

    clock.current = {2026, 12, 6, 20, 5, 0};
    d.optRecordProgrammed.click();
    d.optRecordProgrammed.setValue(true);  // selected from code as well
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 6, 20, 0, 0}));
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 20, 15, 0}));
    tickAfterTheStopTime();
    EXPECT_EQ(count("stop capture"), 1);
    EXPECT_TRUE(files.exists(kProgrammedFile));
}

TEST_F(MonitorTest, TheTimeBoxesMoveNothingWhileAProgrammedTakeRuns) {
    runProgrammedTake();
    frmSettings& d = dialogFromTheMenu();
    prompts.inputAnswers = {"2026/12/6 21:00:00", "2026/12/6 21:30:00"};
    d.cmdStartTime.click();
    d.cmdStopTime.click();
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 6, 20, 0, 0}));
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 20, 15, 0}));
    EXPECT_TRUE(prompts.inputs.empty()) << "nothing is asked";
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>(2, "计划录音正在进行，不能更改时间！")));
}

// "手动录音" or "取消" while a programmed take runs: Record stays off, and the take still ends
// at its stop time and is saved as a programmed take.
class ModeChangeDuringATakeTest : public MonitorTest,
                                  public ::testing::WithParamInterface<const char*> {};

TEST_P(ModeChangeDuringATakeTest, LeavesRecordOffAndTheTakeEndsAtItsStopTime) {
    runProgrammedTake();
    frmSettings& d = dialogFromTheMenu();
    const std::string action = GetParam();
    if (action == "immediate") {
        d.optRecordImmediate.click();
    } else {
        d.cmdcancle.click();
    }
    EXPECT_FALSE(main().cmdRecord.enabled());
    clock.current = {2026, 12, 6, 20, 10, 0};
    tick();
    EXPECT_FALSE(main().cmdRecord.enabled());
    EXPECT_EQ(count("close all"), 0) << "the take goes on";

    tickAfterTheStopTime();
    EXPECT_EQ(count("stop capture"), 1);
    EXPECT_EQ(count("save capture " + kProgrammedFile), 1);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"你的计划录音已完成，录音已被保存！\r\n"
                                                        "文件名: " +
                                                        kProgrammedFile});
    EXPECT_TRUE(state().ProgrammedDone);
    EXPECT_TRUE(main().cmdRecord.enabled());
}

INSTANTIATE_TEST_SUITE_P(ImmediateOrCancel, ModeChangeDuringATakeTest,
                         ::testing::Values("immediate", "cancel"));

TEST_F(MonitorTest, AutomaticSavesLandInTheRecordingsFolderEvenWhenItWentMissing) {
    runProgrammedTake();
    files.removeFolder("C:\\Sonorin\\录音文件");
    tickAfterTheStopTime();
    EXPECT_EQ(state().WaveFileName, kProgrammedFile);
    EXPECT_TRUE(files.exists(kProgrammedFile));
}

TEST_F(MonitorTest, AFailedAutomaticSaveIsNotReportedAsSavedAndTheTakeStaysInTheDevice) {
    runProgrammedTake();
    mci.fail("save capture " + kProgrammedFile, 5);
    tickAfterTheStopTime();
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"Saving file failed, file name was: " + kProgrammedFile,
                                        "你的计划录音已完成，但录音未能保存！\r\n文件名: " +
                                            kProgrammedFile + "\r\n请点击“保存”按钮保存录音。"}));
    EXPECT_EQ(count("close all"), 0);
    EXPECT_TRUE(main().cmdSave.enabled());
    EXPECT_TRUE(state().ProgrammedDone);
}

TEST_F(MonitorTest, TheStatusBarSaysStoppedUnderTheCompletionMessage) {
    runProgrammedTake();
    std::string indicatorUnderTheBox;
    std::size_t commandsBeforeBox = 0;
    prompts.onMessageBox = [&](const FakePrompts::Box&) {
        indicatorUnderTheBox = main().indicator();
        commandsBeforeBox = mci.commands.size();
        tick();  // ticks while the box is open still do nothing
    };
    tickAfterTheStopTime();
    EXPECT_EQ(indicatorUnderTheBox, "停止");
    EXPECT_EQ(mci.commands.size(), commandsBeforeBox);
    EXPECT_FALSE(main().StatusBar1.panel(3).text.empty());
}

}  // namespace
}  // namespace sonorin
