// Takes of the station the program plays, through the same panel and monitor as the sound
// card's: the file written as it records, saved by moving it, a crash's leftover recovered,
// the take stopped before the disk is full, and the choice kept in the settings.
#include <gtest/gtest.h>

#include "app/frmSettings.h"
#include "app/recorder_window_fixture.h"
#include "recorder/settings.h"

namespace sonorin {
namespace {

constexpr const char* kFolder = "C:\\Sonorin\\录音文件\\";

class StationSourceTest : public RecorderWindowFixture {
  protected:
    void SetUp() override {
        clock.current = {2026, 12, 6, 19, 59, 0};
        startWith(front);
        state().Source = CaptureSource::Station;
    }
    RecorderWindow front = RecorderWindow::Main;
    // Seconds of the monitor's ticks, the station sending a second of stereo sound per second
    // unless silent.
    void play(int seconds, bool silent = false) {
        for (int t = 0; t < seconds * 5; ++t) {
            if (!silent && t % 5 == 0)
                player.feed({2, 44100, 16}, std::vector<std::int16_t>(2 * 44100, 1000));
            clock.ticks += 200;
            if (t % 5 == 4)
                clock.current = clock.current.addSeconds(1);
            main().Timer2.tick();
        }
    }
    std::string named(const char* mark) {
        for (const std::string& f : files.files())
            if (f.find(mark) != std::string::npos)
                return f;
        return {};
    }
    std::string working() { return named("_录制中.wav"); }
    std::string unsaved() { return named("_未保存.wav"); }
    std::string panel3() { return main().StatusBar1.panel(3).text; }
};

TEST_F(StationSourceTest, HandTakeRecordsTheStationToDiskAndTheSaveDialogMovesIt) {
    main().cmdRecord_Click();
    EXPECT_EQ(count("record capture"), 0) << "the sound card is not recorded";
    play(2);
    EXPECT_EQ(main().indicator(), "正在录音");
    EXPECT_EQ(panel3().rfind("录音来源：正在收听的电台 | 时长: 2秒", 0), 0u) << panel3();
    const std::string file = working();
    ASSERT_EQ(file, std::string(kFolder) + "录音_从2026-12-6_19.59.00_录制中.wav");
    play(1, true);  // the station drops out
    EXPECT_NE(panel3().find("正在录入静音"), std::string::npos) << panel3();

    files.addFile("C:\\Music\\a.wav", "old");
    prompts.saveAnswers.push_back("C:\\Music\\a.wav");
    main().cmdStop_Click();
    const std::string saved = files.content("C:\\Music\\a.wav").value_or("");
    EXPECT_EQ(saved.size(), 44u + 3 * 176400) << "three seconds, the silence included";
    EXPECT_FALSE(files.exists(file));
    EXPECT_EQ(main().Slider1.max(), 3000);
    EXPECT_EQ(buttons(), "1010");
    main().Timer2.tick();
    EXPECT_EQ(main().indicator(), "停止");
}

TEST_F(StationSourceTest, ACancelledSaveKeepsTheTakeUnderAnUnsavedNameAndSaysWhere) {
    main().cmdRecord_Click();
    play(2);
    main().cmdStop_Click();  // the save dialog cancelled
    const std::string kept =
        std::string(kFolder) + "录音_从2026-12-6_19-59-00到2026-12-6_19-59-02_未保存.wav";
    EXPECT_EQ(working(), "") << "no name of a file still being written";
    EXPECT_EQ(files.content(kept).value_or("").size(), 44u + 2 * 176400);
    ASSERT_FALSE(prompts.texts().empty());
    EXPECT_NE(prompts.texts().back().find(kept), std::string::npos) << prompts.texts().back();
    main().cmdReset_Click();
    EXPECT_TRUE(files.exists(kept)) << "the user was told it stays";
}

TEST_F(StationSourceTest, AFailedMoveKeepsTheTakeAndTheFileItWouldHaveReplaced) {
    main().cmdRecord_Click();
    play(1);
    files.addFile("C:\\Music\\a.wav", "old");
    files.failMoves = true;
    prompts.saveAnswers.push_back("C:\\Music\\a.wav");
    main().cmdStop_Click();
    const std::string file = unsaved();
    EXPECT_EQ(prompts.texts().back(), "Saving file failed, file name was: C:\\Music\\a.wav");
    EXPECT_EQ(files.content("C:\\Music\\a.wav"), "old");
    EXPECT_EQ(files.content(file).value_or("").size(), 44u + 176400);
}

TEST_F(StationSourceTest, ProgrammedTakeIsSavedAutomaticallyUnderItsGeneratedName) {
    state().StartTime = {2026, 12, 6, 19, 59, 1};
    state().StopTime = {2026, 12, 6, 19, 59, 3};
    program().form<frmSettings>().optRecordProgrammed.setValue(true);
    play(5);
    const std::string name =
        std::string(kFolder) + "录音_从2026-12-6_19.59.01到2026-12-6_19.59.03.wav";
    EXPECT_EQ(prompts.texts().back(), "你的计划录音已完成，录音已被保存！\r\n文件名: " + name);
    // Started and stopped on ticks a second after the times: exactly the two seconds planned.
    EXPECT_EQ(files.content(name).value_or("").size(), 44u + 2 * 176400);
    EXPECT_EQ(working(), "");
}

TEST_F(StationSourceTest, ATakeStopsBeforeTheDiskIsFullAndSaysSo) {
    // The take spares 64 MiB: this disk goes below that within four seconds.
    files.diskBytes = (64ull << 20) + 500000;
    main().cmdRecord_Click();
    std::string indicatorUnderTheBox;
    prompts.onMessageBox = [&](const FakePrompts::Box&) {
        indicatorUnderTheBox = main().indicator();
    };
    play(4);
    ASSERT_NE(prompts.texts().front().find("磁盘空间快用完了，电台录音已停止。"),
              std::string::npos);
    EXPECT_EQ(indicatorUnderTheBox, "停止");
    EXPECT_EQ(prompts.saveRequests.size(), 1u) << "stopped as by the Stop button";
    EXPECT_EQ(buttons(), "1011") << "the dialog was cancelled: 保存 offers it again";
    // The user was told where the take is: a new take does not discard it.
    const std::string kept = unsaved();
    ASSERT_NE(prompts.texts().front().find(kept), std::string::npos) << "told under its name";
    files.diskBytes.reset();
    main().cmdRecord_Click();
    EXPECT_TRUE(files.exists(kept));
}

TEST_F(StationSourceTest, TheChoiceIsShownInTheDialogAndKeptAtExit) {
    frmSettings& dialog = program().form<frmSettings>();
    dialog.unload();
    EXPECT_TRUE(program().form<frmSettings>().optSourceStation.value());
    program().form<frmSettings>().optSourceSoundCard.setValue(true);
    EXPECT_EQ(state().Source, CaptureSource::SoundCard);
    program().form<frmSettings>().optSourceStation.setValue(true);
    main().unload(ui::kUnloadFormControlMenu);
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "CaptureSource"}]), "Station");
}

TEST_F(StationSourceTest, ASilentSoundCardTakeWhileTheStationPlaysGetsAHint) {
    state().Source = CaptureSource::SoundCard;
    player.play({"中文环球", "http://127.0.0.1/a.mp3"});
    main().cmdRecord_Click();
    mci.answer("status capture mode", "recording");
    mci.answer("status capture level", "0");
    const std::string hint = "提示：声卡没有录到声音。可在“设置”中把录音来源改为“正在收听的电台”。";
    play(9, true);
    EXPECT_EQ(panel3().find(hint), std::string::npos) << "not before ten seconds";
    play(2, true);
    EXPECT_EQ(panel3().rfind(hint, 0), 0u) << panel3();
    mci.answer("status capture level", "5000");  // the card hears something after all
    play(1, true);
    EXPECT_EQ(panel3().find(hint), std::string::npos);
}

class OfflineStationSourceTest : public StationSourceTest {
  protected:
    OfflineStationSourceTest() { front = RecorderWindow::Offline; }
};

TEST_F(OfflineStationSourceTest, PlaysTheTakeBackFromItsFileAndResetDiscardsIt) {
    RecorderPanel& p = offline().panel;
    // Started in the main window (offline, takes record the sound card), stopped here.
    main().panel.cmdRecord_Click();
    play(1);
    p.cmdStop_Click();
    const std::string file = unsaved();
    mci.commands.clear();
    p.Slider1.setValue(250);
    p.cmdPlay_Click();
    EXPECT_EQ(mci.commands, (std::vector<std::string>{
                                "close all", "open \"" + file + "\" type waveaudio alias capture",
                                "set capture time format ms", "play capture from 250"}));
    mci.answer("status capture mode", "playing");
    p.runMonitor();
    EXPECT_EQ(p.indicator(), "正在回放");
    mci.answer("status capture mode", "stopped");
    p.cmdReset_Click();  // "你刚才的录音还没有保存" answered Yes
    EXPECT_FALSE(files.exists(file));
}

class RecoveryTest : public RecorderWindowFixture {};

TEST_F(RecoveryTest, ATakeACrashLeftUnfinishedIsMendedRenamedAndToldOnce) {
    // The header last written says no sound; the file holds 1000 frames of it.
    std::string file = wavHeader({44100, 2, 16}, 0) + std::string(4000, '\x01');
    files.addFile(std::string(kFolder) + "录音_从2026-12-6_9.00.00_录制中.wav", file);
    startWith(RecorderWindow::Main);
    const std::string recovered = std::string(kFolder) + "录音_从2026-12-6_9.00.00_恢复.wav";
    ASSERT_EQ(prompts.texts().size(), 1u);
    EXPECT_NE(prompts.texts()[0].find(recovered), std::string::npos) << prompts.texts()[0];
    const std::string mended = files.content(recovered).value_or("");
    EXPECT_EQ(mended.substr(44), file.substr(44));
    EXPECT_EQ(mended.substr(0, 44), wavHeader({44100, 2, 16}, 4000));
}

}  // namespace
}  // namespace sonorin
