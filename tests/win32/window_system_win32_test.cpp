// The real windows behind the portable forms, under Wine: native windows and controls follow
// the model, and user actions come back into it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide.h"
#include "platform/win32/window_system_win32.h"
#include "skin/skin_kind.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/form_set.h"

namespace sonorin::win32 {
namespace {

class Sample : public ui::Form {
  public:
    explicit Sample(ui::FormSet& forms) : ui::Form(forms, "Sample") {
        setCaption("星澜网络收音机(Sonorin)");
        setClientSize(4800, 3000);
        go.setCaption("录音");
        go.setToolTip("开始录音");
        go.setBounds(0, 0, 1200, 600);
        off.setCaption("停止");
        off.setEnabled(false);
        off.setBounds(1200, 0, 1200, 600);
        frame.setCaption("模式");
        frame.setBounds(0, 700, 2400, 1200);
        mono.setCaption("单声道");
        mono.setBounds(100, 300, 1000, 300);
        stereo.setCaption("立体声");
        stereo.setBounds(100, 700, 1000, 300);
        slider.setBounds(2500, 700, 2000, 400);
        slider.setMax(12500);
        bar.setBounds(0, 2700, 4800, 300);
        bar.setPanelWidth(1, 1000);
        bar.setPanelWidth(2, 1000);
        bar.setPanelWidth(3, 2800);
        bar.setPanelText(2, "正在录音");
        tray.setVisible(false);
        go.onClick = [this] { ++clicks; };
        off.onClick = [this] { ++clicks; };
        exit.onClick = [this] { ++exits; };
        timer.onTick = [this] { ++ticks; };
    }

    ui::Button go{*this, "go"};
    ui::Button off{*this, "off"};
    ui::Frame frame{*this, "frame"};
    ui::OptionButton mono{*this, "mono", &frame};
    ui::OptionButton stereo{*this, "stereo", &frame};
    ui::Slider slider{*this, "slider"};
    ui::StatusBar bar{*this, "bar", 3};
    ui::Timer timer{*this, "timer", 0};
    ui::MenuItem file{*this, "file", "文件(F)"};
    ui::MenuItem open{*this, "open", "打开", &file};
    ui::MenuItem line{*this, "line", "-", &file};
    ui::MenuItem exit{*this, "exit", "退出", &file};
    ui::MenuItem tray{*this, "tray", "tray"};
    ui::MenuItem trayExit{*this, "trayExit", "退出", &tray};

    void Form_QueryUnload(int& cancel, int mode) override {
        lastUnloadMode = mode;
        cancel = keepOpen ? 1 : 0;
    }

    int clicks = 0, exits = 0, ticks = 0, lastUnloadMode = -1;
    bool keepOpen = false;
};

std::wstring textOf(HWND h) {
    wchar_t buffer[512] = {};
    GetWindowTextW(h, buffer, 512);
    return buffer;
}

HWND childWithText(HWND parent, const std::wstring& text) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (textOf(c) == text)
            return c;
    return nullptr;
}

HWND childOfClass(HWND parent, const wchar_t* cls) {
    return FindWindowExW(parent, nullptr, cls, nullptr);
}

void pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                continue;  // the last window closing asks to quit
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

class WindowSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { form.load(); }
    void TearDown() override {
        form.unload();
        pump(20);
    }
    HWND hwnd() { return system.windowOf(form); }

    Win32WindowSystem system{GetModuleHandleW(nullptr)};
    ui::FormSet forms{system};
    Sample form{forms};
};

TEST_F(WindowSystemTest, TheFormWindowCarriesItsCaptionAndClientSizeInTwips) {
    ASSERT_NE(hwnd(), nullptr);
    EXPECT_EQ(textOf(hwnd()), L"星澜网络收音机(Sonorin)");
    EXPECT_FALSE(IsWindowVisible(hwnd())) << "loading does not show";
    RECT client;
    GetClientRect(hwnd(), &client);
    EXPECT_EQ(client.right, system.pixelsFromTwips(4800));
    EXPECT_EQ(client.bottom, system.pixelsFromTwips(3000));
    EXPECT_EQ(system.pixelsFromTwips(1440), GetDeviceCaps(GetDC(nullptr), LOGPIXELSX));
    form.show();
    EXPECT_TRUE(IsWindowVisible(hwnd()));
    form.setCaption("参数设置");
    EXPECT_EQ(textOf(hwnd()), L"参数设置");
}

TEST_F(WindowSystemTest, OuterSizeAndPositionFollowTheModelBothWays) {
    form.show();
    form.setWidth(10455);
    RECT r;
    GetWindowRect(hwnd(), &r);
    EXPECT_EQ(r.right - r.left, system.pixelsFromTwips(10455));
    SetWindowPos(hwnd(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_NEAR(form.left(), system.twipsFromPixels(40), 0.5);
    EXPECT_NEAR(form.top(), system.twipsFromPixels(50), 0.5);
}

TEST_F(WindowSystemTest, ButtonsFollowTheModelAndClicksComeBack) {
    HWND go = childWithText(hwnd(), L"录音");
    HWND off = childWithText(hwnd(), L"停止");
    ASSERT_TRUE(go && off);
    EXPECT_TRUE(IsWindowEnabled(go));
    EXPECT_FALSE(IsWindowEnabled(off));
    SendMessageW(go, BM_CLICK, 0, 0);
    EXPECT_EQ(form.clicks, 1);
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(off), BN_CLICKED),
                 reinterpret_cast<LPARAM>(off));
    EXPECT_EQ(form.clicks, 1) << "a disabled button does not react";
    form.off.setEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(off));
    form.go.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(go));
    form.go.setCaption("还原");
    EXPECT_EQ(textOf(go), L"还原");
    form.go.setLeft(2400);
    RECT r;
    GetWindowRect(go, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, system.pixelsFromTwips(2400));
}

TEST_F(WindowSystemTest, OptionButtonsInAFrameAreOneGroupAndHideWithIt) {
    form.show();
    HWND mono = childWithText(hwnd(), L"单声道");
    HWND stereo = childWithText(hwnd(), L"立体声");
    ASSERT_TRUE(mono && stereo);
    SendMessageW(stereo, BM_CLICK, 0, 0);
    EXPECT_TRUE(form.stereo.value());
    EXPECT_EQ(SendMessageW(stereo, BM_GETCHECK, 0, 0), BST_CHECKED);
    form.mono.setValue(true);
    EXPECT_EQ(SendMessageW(mono, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(stereo, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The frame lies under the controls it holds, or it would hide them.
    HWND frame = childWithText(hwnd(), L"模式");
    ASSERT_NE(frame, nullptr);
    for (HWND below = GetWindow(mono, GW_HWNDNEXT); below != frame;
         below = GetWindow(below, GW_HWNDNEXT))
        ASSERT_NE(below, nullptr) << "the frame is above the option button";
    form.frame.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(mono));
    form.frame.setVisible(true);
    EXPECT_TRUE(IsWindowVisible(mono));
}

TEST_F(WindowSystemTest, SliderAndStatusBarShowTheModel) {
    HWND slider = childOfClass(hwnd(), TRACKBAR_CLASSW);
    HWND bar = childOfClass(hwnd(), STATUSCLASSNAMEW);
    ASSERT_TRUE(slider && bar);
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 12500);
    form.slider.setValue(3000);
    EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 3000);
    // The user drags the thumb: the model learns the new position.
    SendMessageW(slider, TBM_SETPOS, TRUE, 4500);
    SendMessageW(hwnd(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 4500),
                 reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(form.slider.value(), 4500);

    wchar_t text[64] = {};
    SendMessageW(bar, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"正在录音");
    EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 0, 0), 3);
    form.bar.setPanelText(2, "停止");
    SendMessageW(bar, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"停止");
}

TEST_F(WindowSystemTest, TimersTickWhileRunningOnly) {
    form.timer.setInterval(20);
    pump(300);
    EXPECT_GE(form.ticks, 3);
    form.timer.setEnabled(false);
    const int stopped = form.ticks;
    pump(150);
    EXPECT_EQ(form.ticks, stopped);
}

TEST_F(WindowSystemTest, TheMenuBarHoldsVisibleTopLevelMenusAndRunsEntries) {
    HMENU bar = GetMenu(hwnd());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 1) << "the hidden tray menu is not on the bar";
    wchar_t caption[64] = {};
    GetMenuStringW(bar, 0, caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"文件(F)");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    const UINT exitId = GetMenuItemID(file, 2);
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(exitId, 0), 0);
    EXPECT_EQ(form.exits, 1);
    form.open.setEnabled(false);
    file = GetSubMenu(GetMenu(hwnd()), 0);
    EXPECT_TRUE(GetMenuState(file, 0, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(WindowSystemTest, TheCloseBoxRunsTheCloseHandlersAndCanBeRefused) {
    form.show();
    form.keepOpen = true;
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.lastUnloadMode, ui::kUnloadFormControlMenu);
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(IsWindow(hwnd()));
    form.keepOpen = false;
    HWND h = hwnd();
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.loaded());
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowSystemTest, AModalShowReturnsWhenTheFormIsUnloaded) {
    Sample other(forms);
    other.load();
    form.timer.setInterval(30);
    form.timer.onTick = [&] {
        if (++form.ticks == 3)
            form.unload();
    };
    other.show();
    form.show(true);
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(form.ticks, 3);
    EXPECT_TRUE(IsWindowEnabled(system.windowOf(other))) << "other windows are enabled again";
    other.unload();
}

}  // namespace
}  // namespace sonorin::win32

namespace sonorin::win32 {
namespace {

skin::SkinKind skinKindOf(HWND h) {
    wchar_t name[256] = {};
    GetClassNameW(h, name, 256);
    return skin::classifyWindowClass(narrow(name));
}

TEST_F(WindowSystemTest, FormsAndControlsCarryTheClassNamesOfTheirSkinKinds) {
    EXPECT_EQ(skinKindOf(hwnd()), skin::SkinKind::Form);
    EXPECT_EQ(skinKindOf(childWithText(hwnd(), L"录音")), skin::SkinKind::CommandButton);
    HWND mono = childWithText(hwnd(), L"单声道");
    EXPECT_EQ(skinKindOf(mono), skin::SkinKind::OptionButton);
    EXPECT_EQ(skinKindOf(childWithText(hwnd(), L"模式")), skin::SkinKind::Other);  // a frame
    // Under their new names they are the system's controls still.
    form.mono.setValue(true);
    EXPECT_EQ(SendMessageW(mono, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetWindowLongPtrW(childWithText(hwnd(), L"模式"), GWL_STYLE) & BS_TYPEMASK,
              BS_GROUPBOX);
}

}  // namespace
}  // namespace sonorin::win32
