// The main window puts the skin on as it loads and takes it off as it unloads.
#include <gtest/gtest.h>

#include "app/AudioRecorder.h"
#include "fakes/fake_skin_host.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

TEST(SkinWiring, TheMainWindowIsSkinnedFromItsLoadToItsUnload) {
    FakeClock clock;
    FakePrompts prompts;
    FakeShell shell;
    FakeMci mci;
    mci.answer("status capture mode", "stopped");
    FakeSettingsStore settings;
    FakeFileSystem files;
    files.addFile("C:\\Sonorin\\sonorin.exe");
    FakeWindowSystem windows;
    FakeStationPlayer player;
    FakeSkinHost skin;
    const Hwnd main = skin.addWindow("ThunderRT6FormDC", 0, 400, 500);
    const Hwnd record = skin.addWindow("ThunderRT6CommandButton", main, 60, 30, 0, "录音");
    windows.nativeHandles["AudioRecorder"] = main;
    FakeLoopbackServer server;
    FakeTrayIcons tray;
    FakePowerApi power;
    FakeRegistry registry;
    FakeProcessInfo process;
    Platform platform{clock,  prompts, shell, mci,   settings, files,   windows,
                      player, server,  tray,  power, registry, process, &skin};
    Program program(platform);

    program.start();
    ASSERT_TRUE(program.skin);
    EXPECT_TRUE(program.skin->SkinReady());
    EXPECT_TRUE(skin.has(main, "PROCADDR"));
    EXPECT_TRUE(skin.has(record, "OLDSTYLE"));

    program.form<AudioRecorder>().unload(ui::kUnloadAppWindows);
    EXPECT_FALSE(skin.has(main, "PROCADDR"));
    EXPECT_TRUE(skin.window(record).props.empty());
    EXPECT_EQ(program.skin->SkinnedCount(), 0);
    EXPECT_EQ(skin.gdiObjects(), 0);
}

}  // namespace
}  // namespace sonorin
