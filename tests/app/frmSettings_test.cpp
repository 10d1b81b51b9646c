// The recording settings dialog on a fake platform: what it selects on loading, what each
// click writes into the shared recorder state, the time and file-name boxes, OK and Cancel.
#include "app/frmSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/AudioRecorder.h"
#include "base/app_title.h"
#include "base/datetime_print.h"
#include "fakes/mci_commands.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

class SettingsDialogTest : public ProgramFixture {
  protected:
    // The main window first: its start-up fills the recorder state, which the tests then
    // arrange before the dialog loads.
    void SetUp() override { program().form<AudioRecorder>(); }

    frmSettings& dialog() { return program().form<frmSettings>(); }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    bool dialogLoaded() { return program().isLoaded<frmSettings>(); }
    std::string text(const DateTime& t) { return program().dateText(t); }
    DateTime now() const { return clock.current; }

    // The user answers the next input box with `answer`.
    void answer(const std::string& answer) { prompts.inputAnswers.push_back(answer); }

    // Both frames and the label belong to programmed recording.
    bool programmedControlsShown() {
        frmSettings& d = dialog();
        const bool times = d.frmTimes.visible();
        EXPECT_EQ(d.frmManualAuto.visible(), times);
        EXPECT_EQ(d.lblTimes.visible(), times);
        return times;
    }

    void expectOnlyBox(const std::string& message) {
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_EQ(prompts.boxes[0].text, message);
        EXPECT_EQ(prompts.boxes[0].title, kAppTitle);
        EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::Ok);
    }
};

std::vector<std::string> selected(frmSettings& d) {
    std::vector<std::string> names;
    for (ui::Control* c : d.controls()) {
        if (c->kind() == ui::ControlKind::OptionButton &&
            static_cast<ui::OptionButton*>(c)->value())
            names.push_back(c->name());
    }
    return names;
}

using Names = std::vector<std::string>;

TEST_F(SettingsDialogTest, LoadingSelectsWhatTheStateHolds) {
    EXPECT_EQ(selected(dialog()), (Names{"optRate44100", "optStereo", "opt16bits",
                                         "optRecordImmediate", "Option11", "optSourceSoundCard"}));
    EXPECT_FALSE(programmedControlsShown());
    EXPECT_EQ(dialog().caption(), "参数设置");
    dialog().unload();

    RecorderState& s = state();
    s.Rate = 8000;
    s.Channels = 1;
    s.Resolution = 8;
    s.WaveAutomaticSave = false;
    EXPECT_EQ(selected(dialog()), (Names{"optRate8000", "optMono", "opt8bits", "optRecordImmediate",
                                         "Option10", "optSourceSoundCard"}));
    dialog().unload();

    // Values none of the options stands for select nothing, and stay as they are.
    s.Rate = 12000;
    s.Channels = 3;
    s.Resolution = 24;
    EXPECT_EQ(selected(dialog()), (Names{"optRecordImmediate", "Option10", "optSourceSoundCard"}));
    EXPECT_EQ(s.Rate, 12000);
    EXPECT_EQ(s.Channels, 3);
    EXPECT_EQ(s.Resolution, 24);
}

TEST_F(SettingsDialogTest, EveryRateOptionSetsItsRateAndClearsTheOtherRates) {
    frmSettings& d = dialog();
    const std::pair<ui::OptionButton*, int> rates[] = {{&d.optRate6000, 6000},
                                                       {&d.optRate8000, 8000},
                                                       {&d.optRate11025, 11025},
                                                       {&d.optRate22050, 22050},
                                                       {&d.optRate44100, 44100}};
    for (const auto& [option, rate] : rates) {
        option->setValue(true);
        EXPECT_EQ(state().Rate, rate);
        EXPECT_EQ(selected(d), (Names{option->name(), "optStereo", "opt16bits",
                                      "optRecordImmediate", "Option11", "optSourceSoundCard"}));
    }
}

TEST_F(SettingsDialogTest, ChannelResolutionAndSavingOptionsSetTheirFieldsWithinTheirGroup) {
    frmSettings& d = dialog();
    const std::size_t commandsBefore = mci.commands.size();
    d.optMono.setValue(true);
    d.opt8bits.setValue(true);
    d.Option10.setValue(true);
    EXPECT_EQ(state().Channels, 1);
    EXPECT_EQ(state().Resolution, 8);
    EXPECT_FALSE(state().WaveAutomaticSave);
    EXPECT_EQ(selected(d), (Names{"optRate44100", "optMono", "opt8bits", "optRecordImmediate",
                                  "Option10", "optSourceSoundCard"}));

    d.optStereo.setValue(true);
    d.opt16bits.setValue(true);
    d.Option11.setValue(true);
    EXPECT_EQ(state().Channels, 2);
    EXPECT_EQ(state().Resolution, 16);
    EXPECT_TRUE(state().WaveAutomaticSave);
    // A click changes the state only: the device hears of it on OK or with the next take.
    EXPECT_EQ(mci.commands.size(), commandsBefore);
}

TEST_F(SettingsDialogTest, ArmingWithAPastStartMovesBothTimesAndDisablesRecord) {
    state().StartTime = now().addMinutes(-1);
    state().StopTime = now().addMinutes(60);
    frmSettings& d = dialog();
    d.optRecordProgrammed.setValue(true);
    EXPECT_FALSE(state().RecordImmediate);
    EXPECT_EQ(state().StartTime, now().addMinutes(15));
    EXPECT_EQ(state().StopTime, now().addMinutes(30));
    EXPECT_TRUE(programmedControlsShown());
    EXPECT_FALSE(main().cmdRecord.enabled());
    EXPECT_FALSE(d.optRecordImmediate.value());

    // Back to immediate recording disarms it again; the times stay.
    d.optRecordImmediate.setValue(true);
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_FALSE(programmedControlsShown());
    EXPECT_TRUE(main().cmdRecord.enabled());
    EXPECT_EQ(state().StartTime, now().addMinutes(15));
}

TEST_F(SettingsDialogTest, ArmingWithAFutureStartKeepsBothTimes) {
    // The start counts as past only when it is earlier than now, not when it is now.
    for (const DateTime start : {now(), now().addMinutes(90)}) {
        state().RecordImmediate = true;
        state().StartTime = start;
        state().StopTime = now().addMinutes(5);  // even a stop before the start stays
        dialog().optRecordProgrammed.setValue(true);
        EXPECT_EQ(state().StartTime, start);
        EXPECT_EQ(state().StopTime, now().addMinutes(5));
        EXPECT_FALSE(state().RecordImmediate);
    }
}

// The recorder monitor loads the dialog behind the user's back; that must not change the
// recording under way.
TEST_F(SettingsDialogTest, LoadingNeitherMovesArmedTimesNorEnablesRecordDuringATake) {
    RecorderState& s = state();
    s.RecordImmediate = false;
    s.ProgrammedRunning = true;
    s.StartTime = now().addMinutes(-10);
    s.StopTime = now().addMinutes(50);
    main().cmdRecord.setEnabled(true);
    frmSettings& d = dialog();
    EXPECT_TRUE(d.optRecordProgrammed.value());
    EXPECT_TRUE(programmedControlsShown());
    EXPECT_EQ(s.StartTime, now().addMinutes(-10));
    EXPECT_EQ(s.StopTime, now().addMinutes(50));
    EXPECT_FALSE(main().cmdRecord.enabled());  // armed: Record stays off
    d.unload();

    // An immediate take is running: Record is off and must stay off.
    s = RecorderState{};
    main().cmdRecord.click();
    ASSERT_FALSE(main().cmdRecord.enabled());
    EXPECT_TRUE(dialog().optRecordImmediate.value());
    EXPECT_FALSE(main().cmdRecord.enabled());
}

TEST_F(SettingsDialogTest, StartTimeBoxAsksWithTheCurrentStartAndIgnoresEmptyAndBadAnswers) {
    state().StartTime = DateTime{2026, 12, 6, 20, 0, 0};
    state().StopTime = DateTime{2026, 12, 6, 21, 0, 0};
    frmSettings& d = dialog();
    answer("");  // also what Cancel gives
    d.cmdStartTime.click();
    ASSERT_EQ(prompts.inputs.size(), 1u);
    EXPECT_EQ(prompts.inputs[0].prompt, "输入录音开始时间");
    EXPECT_EQ(prompts.inputs[0].title, "开始时间");
    EXPECT_EQ(prompts.inputs[0].defaultText, "2026/12/6 20:00:00");
    EXPECT_TRUE(prompts.boxes.empty());

    for (const char* bad : {"明天晚上", "2026/13/6 20:00:00", "25:00", " "}) {
        prompts.boxes.clear();
        answer(bad);
        d.cmdStartTime.click();
        expectOnlyBox("你输入的时间无效!");
    }
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 6, 20, 0, 0}));
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 21, 0, 0}));
}

TEST_F(SettingsDialogTest, StartTimeBoxTakesALaterTimeAndPushesAnEarlierStopBehindIt) {
    state().StopTime = DateTime{2026, 12, 6, 23, 0, 0};
    frmSettings& d = dialog();
    answer("2026/12/6 20:00:00");
    d.cmdStartTime.click();
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 6, 20, 0, 0}));
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 23, 0, 0}));

    answer("2026/12/7 8:30:00");
    d.cmdStartTime.click();
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 7, 8, 30, 0}));
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 7, 8, 45, 0}));

    // Now itself is not earlier than now.
    answer(text(now()));
    d.cmdStartTime.click();
    EXPECT_EQ(state().StartTime, now());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(SettingsDialogTest, AStartBeforeNowIsRefusedAndAStopEqualToTheNewStartAccepted) {
    state().StopTime = now().addMinutes(20);
    frmSettings& d = dialog();
    answer(text(now().addMinutes(-60)));
    d.cmdStartTime.click();
    expectOnlyBox("开始时间不能早于现在时间！");
    EXPECT_EQ(state().StartTime, now().addMinutes(15));
    EXPECT_EQ(state().StopTime, now().addMinutes(20));  // still after the start

    answer(text(now().addMinutes(15)));
    d.cmdStopTime.click();
    EXPECT_EQ(state().StopTime, now().addMinutes(15));
    EXPECT_EQ(prompts.boxes.size(), 1u);

    // A refused start with a stop before the new start pushes the stop too.
    state().StopTime = now().addMinutes(1);
    answer(text(now().addSeconds(-1)));
    d.cmdStartTime.click();
    EXPECT_EQ(state().StartTime, now().addMinutes(15));
    EXPECT_EQ(state().StopTime, now().addMinutes(30));
}

TEST_F(SettingsDialogTest, StopTimeBoxOffersTheStopOrAQuarterHourAfterAnEarlierStart) {
    const DateTime start{2026, 12, 6, 20, 0, 0};
    state().StartTime = start;
    state().StopTime = DateTime{2026, 12, 6, 21, 30, 0};
    frmSettings& d = dialog();
    answer("");
    d.cmdStopTime.click();
    ASSERT_EQ(prompts.inputs.size(), 1u);
    EXPECT_EQ(prompts.inputs[0].prompt, "输入录音结束时间");
    EXPECT_EQ(prompts.inputs[0].title, "结束时间");
    EXPECT_EQ(prompts.inputs[0].defaultText, "2026/12/6 21:30:00");

    // A stop before the start is not offered; Cancel leaves it as it was.
    state().StopTime = DateTime{2026, 12, 6, 19, 0, 0};
    answer("");
    d.cmdStopTime.click();
    EXPECT_EQ(prompts.inputs[1].defaultText, "2026/12/6 20:15:00");
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 19, 0, 0}));

    answer("不是时间");
    d.cmdStopTime.click();
    expectOnlyBox("你输入的时间无效!");
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 19, 0, 0}));
    EXPECT_EQ(state().StartTime, start);
}

TEST_F(SettingsDialogTest, AStopBeforeTheStartBecomesFiveMinutesAfterIt) {
    const DateTime start{2026, 12, 6, 20, 0, 0};
    state().StartTime = start;
    frmSettings& d = dialog();
    answer("2026/12/6 19:59:59");
    d.cmdStopTime.click();
    expectOnlyBox("结束时间必须晚于开始时间!");
    EXPECT_EQ(state().StopTime, start.addMinutes(5));

    prompts.boxes.clear();
    answer("2026/12/6 22:10:00");
    d.cmdStopTime.click();
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(state().StopTime, (DateTime{2026, 12, 6, 22, 10, 0}));
    EXPECT_EQ(state().StartTime, start);
}

TEST_F(SettingsDialogTest, FileNameBoxStoresWhateverComesBackEvenNothing) {
    state().WaveFileName = "D:\\录音\\旧.wav";
    frmSettings& d = dialog();
    answer("E:\\广播 录音\\新.wav");
    d.cmdFileName.click();
    ASSERT_EQ(prompts.inputs.size(), 1u);
    EXPECT_EQ(prompts.inputs[0].prompt, "Filename: ");
    EXPECT_EQ(prompts.inputs[0].title, "Filename for automatic saving");
    EXPECT_EQ(prompts.inputs[0].defaultText, "D:\\录音\\旧.wav");
    EXPECT_EQ(state().WaveFileName, "E:\\广播 录音\\新.wav");

    answer("");  // Cancel
    d.cmdFileName.click();
    EXPECT_EQ(state().WaveFileName, "");
}

TEST_F(SettingsDialogTest, OkSendsTheChosenFormatAndUnloadsWithoutStoringAnything) {
    frmSettings& d = dialog();
    d.optRate8000.setValue(true);
    d.optMono.setValue(true);
    d.opt8bits.setValue(true);
    mci.commands.clear();
    d.cmdOke.click();
    EXPECT_EQ(mci.commands, mci_commands::applyFormat(8000, 1, 8));
    EXPECT_FALSE(dialogLoaded());
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(state().Rate, 8000);
}

TEST_F(SettingsDialogTest, CancelDisarmsButKeepsEveryOtherChange) {
    frmSettings& d = dialog();
    d.optRate8000.setValue(true);
    d.optRecordProgrammed.setValue(true);
    d.Option10.setValue(true);
    answer("2026/12/6 20:00:00");
    d.cmdStartTime.click();
    ASSERT_FALSE(main().cmdRecord.enabled());
    mci.commands.clear();

    d.cmdcancle.click();
    EXPECT_FALSE(dialogLoaded());
    EXPECT_TRUE(state().RecordImmediate);
    EXPECT_TRUE(main().cmdRecord.enabled());
    EXPECT_EQ(state().Rate, 8000);
    EXPECT_FALSE(state().WaveAutomaticSave);
    EXPECT_EQ(state().StartTime, (DateTime{2026, 12, 6, 20, 0, 0}));
    EXPECT_TRUE(mci.commands.empty());
    EXPECT_TRUE(settings.writes.empty());
    // The next touch loads a fresh dialog that shows the disarmed state.
    EXPECT_TRUE(dialog().optRecordImmediate.value());
    EXPECT_FALSE(programmedControlsShown());
}

// Applying a format seeks the device to its start, which would end a running take: OK
// keeps the format for the next take instead.
TEST_F(SettingsDialogTest, OkDuringATakeLeavesTheDeviceAloneAndTheNextTakeGetsTheFormat) {
    main().cmdRecord.click();
    frmSettings& d = dialog();
    d.optRate8000.setValue(true);
    d.optMono.setValue(true);
    mci.commands.clear();
    d.cmdOke.click();
    EXPECT_TRUE(mci.commands.empty());
    EXPECT_FALSE(dialogLoaded());
    EXPECT_EQ(state().Rate, 8000);

    main().cmdStop.click();
    mci.commands.clear();
    main().cmdRecord.click();
    EXPECT_EQ(mci.commands.at(3), mci_commands::format(8000, 1, 16));
}

// The Settings button of the main window shows the dialog modally; the user arms a
// programmed recording and confirms.
TEST_F(SettingsDialogTest, ArmedFromTheMainWindowsSettingsButton) {
    state().StartTime = now().addMinutes(-30);
    windows.whileModal = [this](ui::Form& form) {
        ASSERT_EQ(&form, static_cast<ui::Form*>(&dialog()));
        EXPECT_TRUE(main().cmdRecord.enabled());
        dialog().optRecordProgrammed.setValue(true);
        dialog().cmdOke.click();
    };
    main().cmdSettings.click();
    EXPECT_EQ(windows.modal, (std::vector<std::string>{"frmSettings"}));
    EXPECT_FALSE(dialogLoaded());
    EXPECT_FALSE(state().RecordImmediate);
    EXPECT_FALSE(main().cmdRecord.enabled());
    EXPECT_EQ(state().StartTime, now().addMinutes(15));
    EXPECT_EQ(state().StopTime, now().addMinutes(30));
}

}  // namespace
}  // namespace sonorin
