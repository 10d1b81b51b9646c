// The tray module's two sets, and the main window's ways into and out of the tray.
#include <gtest/gtest.h>

#include "app/AudioRecorder.h"
#include "app/DingshiGuanji.h"
#include "app/Module1.h"
#include "app/frmDingshishouting.h"
#include "fakes/program_fixture.h"
#include "ui/form_set.h"

namespace sonorin {
namespace {

constexpr std::intptr_t kLeftUp = 514, kRightUp = 517, kLeftDown = 513, kMouseMove = 512;

// A plain window with a menu, to serve as the shutdown set's window.
class PlainForm : public ui::Form {
  public:
    explicit PlainForm(ui::FormSet& forms) : ui::Form(forms, "Plain") {}
    ui::MenuItem mnuTray{*this, "mnuTray2", "菜单"};
};

using Log = std::vector<std::string>;

class TrayTest : public ProgramFixture {
  protected:
    void SetUp() override {
        program().start();
        other = std::make_unique<PlainForm>(program().forms);
        other->load();
        module().ShutdownTrayForm = other.get();
        module().ShutdownTrayMenu = &other->mnuTray;
    }
    Module1& module() { return program().module1; }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    void minimize(ui::Form& f) { f.setWindowState(ui::WindowState::Minimized); }

    std::unique_ptr<PlainForm> other;
};

TEST_F(TrayTest, AddHooksTheWindowAndShowsTheIconWithItsTip) {
    module().AddTrayIcon();
    module().AddShutdownTrayIcon();
    EXPECT_EQ(tray.log, (Log{"hook AudioRecorder", "add AudioRecorder 2025 星澜网络收音机",
                             "hook Plain", "add Plain 2025 星澜网络收音机定时关机"}));
}

TEST_F(TrayTest, ASecondAddWhileInTheTrayIsIgnored) {
    module().AddTrayIcon();
    module().AddTrayIcon();
    EXPECT_EQ(tray.log.size(), 2u);
    module().RemoveTrayIcon();
    module().RemoveTrayIcon();
    EXPECT_EQ(tray.log, (Log{"hook AudioRecorder", "add AudioRecorder 2025 星澜网络收音机",
                             "delete AudioRecorder", "unhook AudioRecorder"}));
}

TEST_F(TrayTest, TheTwoSetsNeverTouchEachOther) {
    module().AddTrayIcon();
    module().AddShutdownTrayIcon();
    module().RemoveShutdownTrayIcon();
    EXPECT_TRUE(module().mainInTray());
    EXPECT_FALSE(module().shutdownInTray());
    EXPECT_EQ(tray.icons,
              (std::map<std::string, std::string>{{"AudioRecorder", "星澜网络收音机"}}));
    EXPECT_TRUE(tray.hooked(main()));
    EXPECT_FALSE(tray.hooked(*other));
}

TEST_F(TrayTest, HideWhenMinimizedHidesOnlyAMinimizedWindow) {
    module().HideWhenMinimized();
    EXPECT_TRUE(main().visible());
    minimize(main());
    module().HideShutdownWhenMinimized();
    EXPECT_TRUE(main().visible());
    module().HideWhenMinimized();
    EXPECT_FALSE(main().visible());
}

TEST_F(TrayTest, LeftClickRestoresAMinimizedWindowAndRemovesTheIcon) {
    minimize(main());
    module().AddTrayIcon();
    module().HideWhenMinimized();
    EXPECT_TRUE(tray.deliver(main(), 2025, kLeftUp));
    EXPECT_EQ(main().windowState(), ui::WindowState::Normal);
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(windows.activated, (Log{"AudioRecorder"}));
    EXPECT_FALSE(module().mainInTray());
    EXPECT_EQ(tray.log.back(), "unhook AudioRecorder");
}

TEST_F(TrayTest, LeftClickOnANormalWindowAndOtherMouseEventsArePassedOn) {
    module().AddTrayIcon();
    for (std::intptr_t event : {kLeftUp, kLeftDown, kMouseMove})
        EXPECT_FALSE(tray.deliver(main(), 2025, event));
    EXPECT_FALSE(tray.deliver(main(), 0x0010 /* WM_CLOSE */, 0));
    EXPECT_EQ(tray.passedOn["AudioRecorder"], 4);
    EXPECT_TRUE(module().mainInTray());
    EXPECT_TRUE(windows.activated.empty());
}

TEST_F(TrayTest, RightClickBringsTheWindowForwardThenPopsUpItsSetsMenu) {
    minimize(*other);
    module().AddShutdownTrayIcon();
    Log atPopup;
    windows.onPopup = [&](ui::MenuItem&) { atPopup = tray.log; };
    EXPECT_TRUE(tray.deliver(*other, 2025, kRightUp));
    EXPECT_EQ(windows.popups, (Log{"mnuTray2"}));
    EXPECT_EQ(atPopup.back(), "foreground Plain");
    EXPECT_TRUE(module().shutdownInTray()) << "the menu leaves the icon in place";
}

TEST_F(TrayTest, AnIconInTheTrayIsAddedAgainWhenTheTaskBarIsCreatedAnew) {
    module().AddTrayIcon();
    tray.log.clear();
    EXPECT_FALSE(tray.deliver(main(), FakeTrayIcons::kTaskbarCreated, 0));
    EXPECT_EQ(tray.log, (Log{"add AudioRecorder 2025 星澜网络收音机"}));
}

// The main window's own ways into and out of the tray.

TEST_F(TrayTest, MinimizingWithNoPlansSendsTheMainWindowToTheTrayAndRestoringCentresIt) {
    AudioRecorder& m = main();
    m.move(0, 0, m.width(), m.height());  // dragged to a corner
    minimize(m);
    m.Form_Resize();
    EXPECT_TRUE(module().mainInTray());
    EXPECT_FALSE(m.visible());
    EXPECT_EQ(m.left(), 0) << "no centring while minimized";
    tray.deliver(m, 2025, kLeftUp);
    m.Form_Resize();  // the system's size message after restoring
    EXPECT_DOUBLE_EQ(m.left(), windows.screenW / 2 - m.width() / 2);
    EXPECT_DOUBLE_EQ(m.top(), windows.screenH / 2 - m.height() / 2);
}

TEST_F(TrayTest, MinimizingWithPlansKeepsTheWindowOnTheTaskBar) {
    program().form<frmDingshishouting>().ListView1.addRow({"8:00:00", "8:30:00", "中文环球"});
    minimize(main());
    main().Form_Resize();
    EXPECT_FALSE(module().mainInTray());
    EXPECT_TRUE(main().visible());
}

TEST_F(TrayTest, ShowFromTheTrayMenuRestoresTheWindow) {
    minimize(main());
    main().Form_Resize();
    main().mnu_traymaxmized.click();
    EXPECT_FALSE(module().mainInTray());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().windowState(), ui::WindowState::Normal);
    EXPECT_EQ(windows.activated, (Log{"AudioRecorder"}));
}

TEST_F(TrayTest, QuittingFromTheTrayRemovesTheIconBeforeTheWindowUnloads) {
    AudioRecorder& m = main();
    minimize(m);
    m.Form_Resize();
    m.mnuTrayexit.click();
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(tray.log, (Log{"hook AudioRecorder", "add AudioRecorder 2025 星澜网络收音机",
                             "delete AudioRecorder", "unhook AudioRecorder"}));
}

TEST_F(TrayTest, AnExitFromTheTrayThatIsCalledOffLeavesTheWindowInTheTray) {
    program().form<DingshiGuanji>().CmdStart.click();  // an armed countdown
    minimize(main());
    main().Form_Resize();
    prompts.answers.push_back(MsgAnswer::No);
    main().mnuTrayexit.click();
    EXPECT_TRUE(main().loaded());
    EXPECT_TRUE(module().mainInTray());
    EXPECT_FALSE(main().visible());
    // What a click on the icon, or a second start, sends brings the window back.
    module().TrayWindowProc(kTrayCallbackMessage, 0, kLeftUp);
    EXPECT_TRUE(main().visible());
}

TEST_F(TrayTest, AMinimizedWindowThatRefusesToCloseGoesToTheTray) {
    main().StatusBar1.setPanelText(2, "正在录音");
    minimize(main());
    prompts.answers.push_back(MsgAnswer::No);
    EXPECT_FALSE(main().unload(ui::kUnloadFormControlMenu));
    EXPECT_TRUE(module().mainInTray());
    EXPECT_FALSE(main().visible());
}

}  // namespace
}  // namespace sonorin
