// Start-up and shut-down of the main window on a fake platform.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/AudioRecorder.h"
#include "app/FrmnoConnection.h"
#include "app/config.h"
#include "fakes/mci_commands.h"
#include "fakes/program_fixture.h"
#include "recorder/settings.h"

namespace sonorin {
namespace {

class StartupTest : public ProgramFixture {
  protected:
    AudioRecorder& start() {
        program().start();
        return program().form<AudioRecorder>();
    }
};

// A shell whose connectivity test throws, as a broken platform call might.
class ThrowingShell : public FakeShell {
  public:
    bool checkConnection(const std::string&) override { throw std::runtime_error("wininet"); }
};

TEST_F(StartupTest, FirstStartWithAnEmptyStoreUsesTheDefaults) {
    const DateTime started = clock.current;
    AudioRecorder& main = start();
    const RecorderState& s = state();
    EXPECT_EQ(s.Rate, 44100);
    EXPECT_EQ(s.Channels, 2);
    EXPECT_EQ(s.Resolution, 16);
    EXPECT_EQ(s.WaveFileName, "C:\\Radio.wav");
    EXPECT_TRUE(s.WaveAutomaticSave);
    EXPECT_TRUE(s.RecordImmediate);
    EXPECT_FALSE(s.ProgrammedDone || s.ProgrammedRunning || s.Playing || s.RenamePending);
    EXPECT_EQ(s.StartTime, started.addMinutes(15));
    EXPECT_EQ(s.StopTime, started.addMinutes(30));
    EXPECT_EQ(mci.commands, mci_commands::openWithFormat(44100, 2, 16));
    EXPECT_EQ(settings.reads,
              (std::vector<std::string>{"Rate", "Channels", "Resolution", "WaveFileName",
                                        "WaveAutomaticSave", "CaptureSource", "Volume", "Muted"}));
    EXPECT_TRUE(main.visible());
    EXPECT_EQ(main.caption(), "星澜网络收音机(Sonorin)");
    EXPECT_TRUE(main.cmdmore.visible());
    EXPECT_FALSE(main.cmdgoback.visible());
    EXPECT_EQ(main.Label1.caption(), "5");
    EXPECT_EQ(main.Timer3.interval(), 300);
    EXPECT_EQ(program().TrayForm, &main);
    EXPECT_EQ(program().TrayMenu, &main.mnuTray);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(StartupTest, StoredSettingsAreReadAndSentToTheDevice) {
    settings.values[{"Sonorin", "StartUp", "Rate"}] = "8000";
    settings.values[{"Sonorin", "StartUp", "Channels"}] = "1";
    settings.values[{"Sonorin", "StartUp", "Resolution"}] = "8";
    settings.values[{"Sonorin", "StartUp", "WaveFileName"}] = "D:\\录音\\电台.wav";
    settings.values[{"Sonorin", "StartUp", "WaveAutomaticSave"}] = "False";
    start();
    EXPECT_EQ(state().WaveFileName, "D:\\录音\\电台.wav");
    EXPECT_FALSE(state().WaveAutomaticSave);
    EXPECT_EQ(mci.commands.back(), mci_commands::format(8000, 1, 8));
}

TEST_F(StartupTest, OnlineTheRadioPaneOpensThePortalStationPage) {
    shell.online = true;
    start();
    EXPECT_EQ(shell.checkedUrls, (std::vector<std::string>{config::connectivityTestUrl()}));
    EXPECT_EQ(windows.browser.navigated,
              (std::vector<std::string>{config::portalHost() + "/radio"}));
    EXPECT_FALSE(program().isLoaded<FrmnoConnection>());
}

TEST_F(StartupTest, OfflineTheMainWindowStaysHiddenAndTheOfflineWindowShows) {
    shell.online = false;
    AudioRecorder& main = start();
    EXPECT_TRUE(windows.browser.navigated.empty());
    EXPECT_TRUE(main.loaded());
    EXPECT_FALSE(main.visible());
    ASSERT_TRUE(program().isLoaded<FrmnoConnection>());
    FrmnoConnection& offline = program().form<FrmnoConnection>();
    EXPECT_TRUE(offline.visible());
    EXPECT_EQ(offline.caption(), "星澜网络收音机(Sonorin)");
    EXPECT_EQ(offline.Label1.caption(), "没有联网，不能收听");
    // Start-up went on after the offline window: device, settings, countdown.
    EXPECT_EQ(mci.commands.front(), "close all");
    EXPECT_EQ(main.Timer3.interval(), 300);
}

TEST_F(StartupTest, RecordingsFolderIsCreatedWhenMissingAndLeftAloneWhenPresent) {
    start();
    EXPECT_TRUE(files.exists("C:\\Sonorin\\录音文件"));
    const auto created =
        std::count(files.log.begin(), files.log.end(), "createFolder C:\\Sonorin\\录音文件\\");
    EXPECT_EQ(created, 1);
}

TEST_F(StartupTest, AnExistingRecordingsFolderIsNotCreatedAgain) {
    files.addFile("C:\\Sonorin\\录音文件\\旧录音.wav");
    start();
    for (const std::string& entry : files.log)
        EXPECT_EQ(entry.find("createFolder"), 0u + std::string::npos);
    EXPECT_TRUE(files.exists("C:\\Sonorin\\录音文件\\旧录音.wav"));
}

TEST_F(StartupTest, TheFolderComesBeforeTheConnectivityTestAndTheSettingsAfterTheNewDevice) {
    start();
    const std::size_t folder = events.first("fs createFolder C:\\Sonorin\\录音文件\\");
    const std::size_t connectivity = events.first("shell checkConnection");
    ASSERT_NE(folder, EventLog::npos);
    ASSERT_NE(connectivity, EventLog::npos);
    EXPECT_LT(folder, connectivity);
    const std::size_t opened = events.first("mci open new type waveaudio alias capture");
    ASSERT_NE(opened, EventLog::npos);
    EXPECT_LT(opened, events.first("settings read Rate"));
    EXPECT_LT(events.last("settings read WaveAutomaticSave"), events.first("mci seek capture"));
}

TEST_F(StartupTest, TheDesktopShortcutIsCreatedOnlyWhenMissing) {
    start();
    ASSERT_EQ(shell.shortcuts.size(), 1u);
    EXPECT_EQ(shell.shortcuts[0].linkPath, "C:\\users\\me\\Desktop\\星澜网络收音机.lnk");
    EXPECT_EQ(shell.shortcuts[0].shortcut.targetPath, "C:\\Sonorin\\sonorin.exe");
    EXPECT_EQ(shell.shortcuts[0].shortcut.arguments, "C:\\Sonorin\\sonorin.exe");
    EXPECT_EQ(shell.shortcuts[0].shortcut.workingDirectory, "C:\\Sonorin");
}

TEST_F(StartupTest, AnExistingShortcutIsNeverTouched) {
    files.addFile("C:\\users\\me\\Desktop\\星澜网络收音机.lnk", "points elsewhere");
    start();
    EXPECT_TRUE(shell.shortcuts.empty());
}

TEST_F(StartupTest, NoDesktopFolderMeansNoShortcut) {
    shell.desktop.clear();
    start();
    EXPECT_TRUE(shell.shortcuts.empty());
}

TEST_F(StartupTest, AFailingStepDoesNotStopTheNextOnes) {
    settings.values[{"Sonorin", "StartUp", "Rate"}] = "快";  // not a number: keeps 44100
    mci.fail("open new type waveaudio alias capture");
    start();
    EXPECT_EQ(state().Rate, 44100);
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Opening new wave failed!"}));
    EXPECT_EQ(state().StopTime, clock.current.addMinutes(30));
    EXPECT_EQ(shell.shortcuts.size(), 1u);
}

TEST(StartupThrowTest, AStepThatThrowsIsSkipped) {
    FakeClock clock;
    FakePrompts prompts;
    ThrowingShell shell;
    FakeMci mci;
    FakeSettingsStore settings;
    FakeFileSystem files;
    FakeWindowSystem windows;
    FakeStationPlayer player;
    FakeLoopbackServer server;
    FakeTrayIcons tray;
    FakePowerApi power;
    FakeRegistry registry;
    FakeProcessInfo process;
    Platform platform{clock,  prompts, shell, mci,   settings, files,  windows,
                      player, server,  tray,  power, registry, process};
    Program program(platform);
    program.start();
    AudioRecorder& main = program.form<AudioRecorder>();
    EXPECT_EQ(main.Timer3.interval(), 300);
    EXPECT_EQ(program.recorderState.Rate, 44100);
    EXPECT_EQ(shell.shortcuts.size(), 1u);
}

class ShutdownTest : public StartupTest {
  protected:
    void SetUp() override { start(); }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    void showIndicator(const std::string& text) { main().StatusBar1.setPanelText(2, text); }
};

TEST_F(ShutdownTest, ClosingWhileRecordingAsksAndNoKeepsTheWindow) {
    showIndicator("正在录音");
    prompts.answers.push_back(MsgAnswer::No);
    EXPECT_FALSE(main().unload(ui::kUnloadFormControlMenu));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "正在录音，您确定要关闭吗？");
    EXPECT_EQ(prompts.boxes[0].title, "");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(prompts.boxes[0].icon, MsgIcon::Question);
    EXPECT_TRUE(main().loaded());
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(shell.endedWith.empty());
}

TEST_F(ShutdownTest, ClosingWhileRecordingAndYesCloses) {
    showIndicator("正在录音");
    prompts.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(main().unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(shell.endedWith, (std::vector<int>{0}));
}

TEST_F(ShutdownTest, NoQuestionWhenWindowsEndsOrNothingIsRecording) {
    showIndicator("正在录音");
    EXPECT_TRUE(main().unload(ui::kUnloadAppWindows));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ShutdownTest, NoQuestionWhileStoppedOrPlayingBack) {
    for (const char* indicator : {"停止", "正在回放", ""}) {
        showIndicator(indicator);
        int cancel = 0;
        main().Form_QueryUnload(cancel, ui::kUnloadFormControlMenu);
        EXPECT_EQ(cancel, 0) << indicator;
    }
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ShutdownTest, UnloadClosesTheDeviceWritesTheSettingsInOrderAndEndsOnlyThisProcess) {
    mci.commands.clear();
    state().Rate = 22050;
    state().WaveAutomaticSave = false;
    state().WaveFileName = "";
    AudioRecorder& m = main();
    m.mnuExit.click();
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(mci.commands, (std::vector<std::string>{"close capture"}));
    EXPECT_EQ(settings.writes,
              (std::vector<std::string>{"Rate", "Channels", "Resolution", "WaveFileName",
                                        "WaveAutomaticSave", "CaptureSource"}));
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "Rate"}]), "22050");
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "Channels"}]), "2");
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "Resolution"}]), "16");
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "WaveFileName"}]), "");
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "WaveAutomaticSave"}]), "False");
    EXPECT_EQ(shell.endedWith, (std::vector<int>{0}));
    EXPECT_TRUE(shell.runs.empty()) << "no taskkill of every instance";
}

TEST_F(ShutdownTest, UnloadUnloadsEveryOtherWindowFirst) {
    shell.online = false;
    program().form<FrmnoConnection>();
    AudioRecorder& m = main();
    m.mnuTrayexit.click();
    EXPECT_FALSE(program().isLoaded<FrmnoConnection>());
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(windows.destroyed.back(), "AudioRecorder");
}

TEST_F(ShutdownTest, APendingRenameIsFinishedAfterTheDeviceIsClosed) {
    files.addFile("C:\\Rec\\REC1~1.WAV", "RIFF");
    state().SavedShortName = "C:\\Rec\\REC1~1.WAV";
    state().SavedLongName = "C:\\Rec\\rec 1.wav";
    state().RenamePending = true;
    main().unload();
    EXPECT_LT(events.first("mci close capture"), events.first("fs renameFile"));
    EXPECT_LT(events.first("mci close capture"), events.first("settings write Rate"));
    EXPECT_FALSE(state().RenamePending);
    EXPECT_EQ(state().SavedShortName, "");
    EXPECT_FALSE(files.exists("C:\\Rec\\REC1~1.WAV"));
    EXPECT_TRUE(files.exists("C:\\Rec\\rec 1.wav"));
}

}  // namespace
}  // namespace sonorin

namespace sonorin {
namespace {

class OfflineCloseTest : public ProgramFixture {
  protected:
    void SetUp() override {
        shell.online = false;
        program().start();
        mci.commands.clear();
    }
};

TEST_F(OfflineCloseTest, ClosingTheOfflineWindowSavesTheSettingsAndEndsTheProgram) {
    FrmnoConnection& offline = program().form<FrmnoConnection>();
    EXPECT_TRUE(offline.unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(mci.commands.front(), "close capture");
    EXPECT_EQ(settings.writes,
              (std::vector<std::string>{"Rate", "Channels", "Resolution", "WaveFileName",
                                        "WaveAutomaticSave", "CaptureSource"}));
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "WaveFileName"}]), "C:\\Radio.wav");
    EXPECT_EQ((settings.values[{"Sonorin", "StartUp", "WaveAutomaticSave"}]), "True");
    ASSERT_FALSE(shell.endedWith.empty());
    EXPECT_EQ(shell.endedWith.front(), 0);
    EXPECT_TRUE(shell.runs.empty());
}

TEST_F(OfflineCloseTest, ClosingTheOfflineWindowWhileRecordingAsksFirst) {
    program().form<AudioRecorder>().StatusBar1.setPanelText(2, "正在录音");
    prompts.answers.push_back(MsgAnswer::No);
    FrmnoConnection& offline = program().form<FrmnoConnection>();
    EXPECT_FALSE(offline.unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"正在录音，您确定要关闭吗？"}));
    EXPECT_TRUE(offline.loaded());
    EXPECT_TRUE(shell.endedWith.empty());
}

}  // namespace
}  // namespace sonorin
