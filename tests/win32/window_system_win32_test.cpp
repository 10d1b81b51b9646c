// The real windows behind the portable forms, under Wine: native windows and controls follow
// the model, and user actions come back into it.
#include <windows.h>

#include <commctrl.h>
#include <shobjidl.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/skin_kind.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/form_set.h"
#include "win32/form_resized_win32.h"
#include "win32/pump.h"
#include "win32/wide.h"
#include "win32/window_system/thumb_buttons.h"
#include "win32/window_system_win32.h"

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
        note.setCaption("5");
        note.setBounds(2500, 1200, 600, 300);
        note.setVisible(false);
        go.onClick = [this] { ++clicks; };
        off.onClick = [this] { ++clicks; };
        exit.onClick = [this] { ++exits; };
        timer.onTick = [this] { ++ticks; };
        onAppCommand = [this](ui::AppCommand command, bool focused) {
            commands.emplace_back(command, focused);
            return true;
        };
    }

    ui::Button go{*this, "go"};
    ui::Button off{*this, "off"};
    ui::Frame frame{*this, "frame"};
    ui::OptionButton mono{*this, "mono", &frame};
    ui::OptionButton stereo{*this, "stereo", &frame};
    ui::Slider slider{*this, "slider"};
    ui::StatusBar bar{*this, "bar", 3};
    ui::Timer timer{*this, "timer", 0};
    ui::Label note{*this, "note"};
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

    void Form_Resize() override {
        ++layouts;
        if (onLayout)
            onLayout();
    }

    int clicks = 0, exits = 0, ticks = 0, lastUnloadMode = -1, layouts = 0;
    std::vector<std::pair<ui::AppCommand, bool>> commands;
    bool keepOpen = false;
    std::function<void()> onLayout;
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

class WindowSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { form.load(); }
    void TearDown() override {
        form.unload();
        sonorin::testing::pumpFor(20);
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

// The tool tip window a form owns, if it has made one.
HWND toolTipOf(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(h, name, 64);
            if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0 || GetWindow(h, GW_OWNER) != s->owner)
                return TRUE;
            // Not the status bar's own tip window, whose tools are its panels.
            TTTOOLINFOW first{};
            first.cbSize = TTTOOLINFOW_V1_SIZE;
            if (SendMessageW(h, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&first)) &&
                first.hwnd != s->owner)
                return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(WindowSystemTest, ChildWindowsAreMadeAtTheFirstShowWithWhatWasSetMeanwhile) {
    int made = 0;
    system.onChildrenMade = [&](ui::Form& f) {
        EXPECT_EQ(&f, &form);
        ++made;
    };
    EXPECT_EQ(GetWindow(hwnd(), GW_CHILD), nullptr) << "a window never shown makes no children";
    EXPECT_EQ(toolTipOf(hwnd()), nullptr) << "nor a tool tip window";
    form.go.setCaption("开始");
    form.off.setEnabled(true);
    form.slider.setValue(4000);
    form.bar.setPanelText(2, "停止");
    form.show();
    EXPECT_EQ(made, 1);
    HWND go = childWithText(hwnd(), L"开始");
    ASSERT_NE(go, nullptr);
    EXPECT_TRUE(IsWindowEnabled(childWithText(hwnd(), L"停止")));
    EXPECT_EQ(SendMessageW(childOfClass(hwnd(), TRACKBAR_CLASSW), TBM_GETPOS, 0, 0), 4000);
    wchar_t panel[64] = {};
    SendMessageW(childOfClass(hwnd(), STATUSCLASSNAMEW), SB_GETTEXTW, 1,
                 reinterpret_cast<LPARAM>(panel));
    EXPECT_STREQ(panel, L"停止");
    form.hide();
    form.show();
    EXPECT_EQ(made, 1) << "made once";
    system.onChildrenMade = nullptr;
}

// The first show lays the window out before it appears, once, and its child windows start
// where that layout puts them; a later size change lays it out again.
TEST_F(WindowSystemTest, TheFirstShowLaysTheWindowOutOnceBeforeItAppears) {
    bool visibleDuringLayout = true;
    form.onLayout = [&] {
        visibleDuringLayout = IsWindowVisible(hwnd()) != FALSE;
        form.off.setLeft(3000);
    };
    form.show();
    EXPECT_EQ(form.layouts, 1);
    EXPECT_FALSE(visibleDuringLayout);
    RECT off{};
    GetWindowRect(childWithText(hwnd(), L"停止"), &off);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&off), 2);
    EXPECT_EQ(off.left, system.pixelsFromTwips(3000));
    form.setWidth(form.width() + 600);
    EXPECT_EQ(form.layouts, 2);
    EXPECT_TRUE(visibleDuringLayout);

    // A window deep inside (one of our own in the frame here) is told of the new size once
    // the layout has run, as the stand-in pane needs to fit what shows of it.
    static int layoutsWhenTold = -1;
    static Sample* sample = nullptr;
    sample = &form;
    const HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10,
                                       childWithText(hwnd(), L"模式"), nullptr, nullptr, nullptr);
    ASSERT_NE(inner, nullptr);
    static WNDPROC saved = nullptr;
    saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        inner, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == formResizedMessage())
                layoutsWhenTold = sample->layouts;
            return CallWindowProcW(saved, h, m, w, l);
        })));
    form.setWidth(form.width() + 600);
    EXPECT_EQ(layoutsWhenTold, 3);
    DestroyWindow(inner);
    form.onLayout = nullptr;
}

// The tool tips are not subclassed onto their controls: the loops relay the pointer to them.
TEST_F(WindowSystemTest, AToolTipShowsWhenThePointerRestsOnItsControl) {
    form.show();
    HWND go = childWithText(hwnd(), L"录音");
    ASSERT_NE(go, nullptr);
    RECT r;
    GetWindowRect(go, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(toolTipOf(hwnd()), nullptr) << "the tip window waits for the pointer";
    const LPARAM centre = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    // The pointer comes to rest: one move, which makes the tip window, then the tip's delay.
    PostMessageW(go, WM_MOUSEMOVE, 0, centre);
    HWND tip = nullptr;
    const DWORD end = GetTickCount() + 3000;
    while (!(tip && IsWindowVisible(tip)) && GetTickCount() < end) {
        system.doEvents();
        tip = toolTipOf(hwnd());
        Sleep(20);
    }
    ASSERT_NE(tip, nullptr) << "no tip window made for the pointer";
    ASSERT_TRUE(IsWindowVisible(tip)) << "no tool tip over the button";
    wchar_t text[64] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V1_SIZE;
    ti.lpszText = text;
    ASSERT_TRUE(SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_STREQ(text, L"开始录音");
}

// A button hidden at its window's first show gets its window when it shows, lying over the
// controls it overlaps (as a save button over the radio pane does), and its clicks come back
// as any other's.
TEST_F(WindowSystemTest, MediaKeysAndTheThumbnailsButtonsReachTheForm) {
    form.show();
    HWND button = childWithText(hwnd(), L"录音");
    ASSERT_NE(button, nullptr);
    // Sent to the control with the focus and passed up to the form by the default procedure.
    const LPARAM next = MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_MEDIA_NEXTTRACK);
    SendMessageW(button, WM_APPCOMMAND, WPARAM(button), next);
    // The taskbar has made the window's button; the thumbnail's stop is clicked.
    SendMessageW(hwnd(), ThumbButtons::createdMessage(), 0, 0);
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(2, THBN_CLICKED), 0);
    using C = ui::AppCommand;
    EXPECT_EQ(form.commands, (std::vector<std::pair<C, bool>>{{C::NextTrack, true},
                                                              {C::Stop, false}}));
}

TEST_F(WindowSystemTest, AButtonHiddenAtTheFirstShowWorksWhenItShows) {
    form.go.setVisible(false);
    form.show();
    EXPECT_EQ(childWithText(hwnd(), L"录音"), nullptr);
    form.go.setCaption("开始");
    form.go.setBounds(2500, 700, 1000, 400);  // over the slider
    form.go.setVisible(true);
    HWND go = childWithText(hwnd(), L"开始");
    ASSERT_NE(go, nullptr);
    HWND slider = childOfClass(hwnd(), TRACKBAR_CLASSW);
    HWND below = GetWindow(go, GW_HWNDNEXT);
    while (below && below != slider)
        below = GetWindow(below, GW_HWNDNEXT);
    EXPECT_EQ(below, slider) << "the button lies under the slider";
    SendMessageW(go, BM_CLICK, 0, 0);
    EXPECT_EQ(form.clicks, 1);
}

TEST_F(WindowSystemTest, ButtonsFollowTheModelAndClicksComeBack) {
    form.show();
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
    form.show();
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

RECT rectInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG fontHeight(HWND control) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    return font && GetObjectW(font, sizeof(lf), &lf) ? lf.lfHeight : 0;
}

// Windows sends WM_DPICHANGED when the window moves to a monitor with another DPI; the
// window takes the suggested rectangle and lays out the same twips at the new DPI.
TEST_F(WindowSystemTest, AnotherMonitorDpiLaysOutTheSameTwipsWithALargerFont) {
    form.show();
    HWND go = childWithText(hwnd(), L"录音");
    HWND off = childWithText(hwnd(), L"停止");
    HWND bar = childOfClass(hwnd(), STATUSCLASSNAMEW);
    ASSERT_TRUE(go && off && bar);
    const int from = system.pixelsFromTwips(1440);
    EXPECT_EQ(fontHeight(go), -MulDiv(9, from, 72));
    const double width = form.width(), height = form.height();

    const int to = from * 2;
    RECT before;
    GetWindowRect(hwnd(), &before);
    RECT suggested{before.left, before.top, before.left + 2 * (before.right - before.left),
                   before.top + 2 * (before.bottom - before.top)};
    SendMessageW(hwnd(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));

    RECT now;
    GetWindowRect(hwnd(), &now);
    EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
    EXPECT_NEAR(form.width(), width, 15) << "the model keeps its twips";
    EXPECT_NEAR(form.height(), height, 15);
    RECT r = rectInParent(off);
    EXPECT_EQ(r.left, pixelsAt(1200, to));
    EXPECT_EQ(r.right - r.left, pixelsAt(1200, to));
    EXPECT_EQ(r.bottom - r.top, pixelsAt(600, to));
    EXPECT_EQ(fontHeight(go), -MulDiv(9, to, 72));
    EXPECT_EQ(fontHeight(off), fontHeight(go)) << "every control gets the new font";
    int edges[3] = {};
    SendMessageW(bar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[0], pixelsAt(1000, to));

    // Later changes from the model use the window's new DPI too.
    form.go.setLeft(2400);
    EXPECT_EQ(rectInParent(go).left, pixelsAt(2400, to));
    form.setWidth(width + 1440);
    GetWindowRect(hwnd(), &now);
    EXPECT_EQ(now.right - now.left, pixelsAt(width + 1440, to));
}

// Answers the message box the thread shows, if one is showing.
void CALLBACK answerMessageBox(HWND = nullptr, UINT = 0, UINT_PTR = 0, DWORD = 0) {
    if (HWND box = sonorin::testing::shownDialogBox())
        PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(WindowSystemTest, TimersTickWhileRunningOnlyAndInsideAMessageBox) {
    form.timer.setInterval(20);
    sonorin::testing::pumpFor(300);
    EXPECT_GE(form.ticks, 3);
    form.timer.setEnabled(false);
    const int stopped = form.ticks;
    sonorin::testing::pumpFor(150);
    EXPECT_EQ(form.ticks, stopped);

    // The box's own message loop keeps the program's timers going: here the timer answers it.
    int inBox = 0;
    form.timer.onTick = [&inBox] {
        if (++inBox == 3)
            answerMessageBox();
    };
    form.timer.setInterval(50);
    form.timer.setEnabled(true);
    const UINT_PTR rescue = SetTimer(nullptr, 0, 3000, answerMessageBox);
    MessageBoxW(hwnd(), L"计时", L"星澜网络收音机", MB_OK);
    KillTimer(nullptr, rescue);
    EXPECT_GE(inBox, 3) << "the box was answered by the rescue timer";
}

TEST_F(WindowSystemTest, TheProgramsLoopTicksTimersAndSoDoesABoxATickOpensFromIt) {
    form.show();
    int inBox = 0;
    bool boxShown = false;
    form.timer.onTick = [&] {
        if (boxShown) {
            if (++inBox == 3)
                answerMessageBox();
        } else if (++form.ticks == 3) {
            boxShown = true;
            MessageBoxW(hwnd(), L"计时", L"星澜网络收音机", MB_OK);
            PostQuitMessage(7);
        }
    };
    form.timer.setInterval(30);
    form.timer.setEnabled(true);
    const UINT_PTR rescue = SetTimer(nullptr, 0, 5000, answerMessageBox);
    EXPECT_EQ(system.runMessageLoop(), 7);
    KillTimer(nullptr, rescue);
    EXPECT_GE(inBox, 3) << "the box was answered by the rescue timer";
}

TEST_F(WindowSystemTest, TimersTickInADoEventsLoopOfAHandlerTheProgramsLoopRuns) {
    int nested = 0;
    bool busy = false;
    form.timer.onTick = [&] {
        if (busy) {
            ++nested;
            return;
        }
        busy = true;
        for (const ULONGLONG end = GetTickCount64() + 300; GetTickCount64() < end; Sleep(5))
            system.doEvents();
        busy = false;
        PostQuitMessage(0);
    };
    form.timer.setInterval(30);
    form.timer.setEnabled(true);
    system.runMessageLoop();
    EXPECT_GE(nested, 5);
}

// A hidden label gets its window when it first shows; a text set while it is hidden again
// reaches the window when it shows again.
TEST_F(WindowSystemTest, AHiddenLabelsWindowAndNewTextComeWhenItShows) {
    int made = 0;
    system.onChildrenMade = [&](ui::Form&) { ++made; };
    form.show();
    EXPECT_EQ(childWithText(hwnd(), L"5"), nullptr) << "no window while it is hidden";
    form.note.setCaption("4");
    form.note.setVisible(true);
    HWND note = childWithText(hwnd(), L"4");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(IsWindowVisible(note));
    EXPECT_EQ(made, 2) << "the skin hears of the new window";
    form.note.setCaption("3");
    EXPECT_EQ(textOf(note), L"3");
    form.note.setVisible(false);
    form.note.setCaption("2");
    form.note.setVisible(true);
    EXPECT_EQ(textOf(note), L"2");
    EXPECT_EQ(childWithText(hwnd(), L"2"), note) << "made once";
    system.onChildrenMade = nullptr;
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

// Faults the window system reports because no caller could be told otherwise.
class Faults {
  public:
    explicit Faults(Win32WindowSystem& system) : system_(system) {
        system_.onFault = [this](const std::string& what) { seen.push_back(what); };
    }
    ~Faults() { system_.onFault = nullptr; }
    std::vector<std::string> seen;

  private:
    Win32WindowSystem& system_;
};

// Refuses to make the windows of one class on this thread while it lives.
class RefuseWindows {
  public:
    explicit RefuseWindows(const wchar_t* cls) {
        refused = cls;
        hook_ = SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId());
    }
    ~RefuseWindows() { UnhookWindowsHookEx(hook_); }
    bool active() const { return hook_ != nullptr; }

  private:
    static LRESULT CALLBACK refuse(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND) {
            const wchar_t* cls = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs->lpszClass;
            if (!IS_INTRESOURCE(cls) && lstrcmpiW(cls, refused) == 0)
                return 1;
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline const wchar_t* refused = nullptr;
    HHOOK hook_;
};

TEST_F(WindowSystemTest, AChildWindowTheSystemRefusesIsReportedAndTheOthersAreMade) {
    Faults faults(system);
    {
        RefuseWindows noSliders(TRACKBAR_CLASSW);
        ASSERT_TRUE(noSliders.active());
        EXPECT_FALSE(system.makeChildren(hwnd()));
    }
    ASSERT_EQ(faults.seen.size(), 1u);
    EXPECT_NE(faults.seen[0].find("Sample.slider"), std::string::npos) << faults.seen[0];
    EXPECT_EQ(childOfClass(hwnd(), TRACKBAR_CLASSW), nullptr);
    EXPECT_NE(childWithText(hwnd(), L"录音"), nullptr) << "the other controls have windows";
    form.show();
    form.slider.setValue(100);
    EXPECT_EQ(form.slider.value(), 100) << "the control goes on without its window";
}

TEST_F(WindowSystemTest, AHandlerThatThrowsIsReportedAndTheWindowGoesOn) {
    Faults faults(system);
    form.show();
    HWND go = childWithText(hwnd(), L"录音");
    ASSERT_NE(go, nullptr);
    form.go.onClick = [] { throw std::runtime_error("磁盘已满"); };
    SendMessageW(go, BM_CLICK, 0, 0);  // the exception would reach here through user32
    ASSERT_EQ(faults.seen.size(), 1u);
    EXPECT_NE(faults.seen[0].find("磁盘已满"), std::string::npos) << faults.seen[0];
    form.go.onClick = [this] { ++form.clicks; };
    SendMessageW(go, BM_CLICK, 0, 0);
    EXPECT_EQ(form.clicks, 1);
}

// The input controls: combo boxes, a text box, a list view and a time picker.
class Inputs : public ui::Form {
  public:
    explicit Inputs(ui::FormSet& forms) : ui::Form(forms, "Inputs") {
        setClientSize(6000, 5000);
        hour.setBounds(0, 0, 1200, 300);
        kind.setBounds(1300, 0, 1200, 300);
        count.setBounds(2600, 0, 1200, 300);
        plans.setBounds(0, 600, 6000, 2600);
        start.setBounds(0, 3400, 1800, 375);
        for (const char* h : {"0", "1", "23"})
            hour.addItem(h);
        for (const char* k : {"关机", "重启"})
            kind.addItem(k);
        // A handler of the user's choice changes another control, as handlers do.
        hour.onClick = [this] { kind.setListIndex(++hourClicks % 2); };
        hour.onChange = [this] { ++hourChanges; };
        plans.onDblClick = [this] { ++doubleClicks; };
        plans.onMouseDown = [this](ui::MouseButton b, int row) {
            lastButton = b;
            lastRow = row;
        };
    }
    ui::ComboBox hour{*this, "hour"};
    ui::ComboBox kind{*this, "kind", ui::ComboStyle::DropDownList};
    ui::TextBox count{*this, "count"};
    ui::ListView plans{*this, "plans"};
    ui::DateTimePicker start{*this, "start"};
    int hourClicks = 0, hourChanges = 0, doubleClicks = 0, lastRow = -2;
    ui::MouseButton lastButton = ui::MouseButton::Middle;
};

std::wstring listText(HWND list, int row, int column) {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

class InputControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form.load();
        form.show();
    }
    void TearDown() override {
        form.unload();
        sonorin::testing::pumpFor(20);
    }
    HWND child(const wchar_t* cls, int nth = 0) {
        HWND h = nullptr;
        for (int i = 0; i <= nth; ++i)
            h = FindWindowExW(system.windowOf(form), h, cls, nullptr);
        return h;
    }
    void notifyParent(HWND from, UINT code) {
        NMHDR nm{from, static_cast<UINT_PTR>(GetDlgCtrlID(from)), code};
        SendMessageW(system.windowOf(form), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    void command(HWND from, UINT code) {
        SendMessageW(system.windowOf(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(from), code),
                     reinterpret_cast<LPARAM>(from));
    }

    Win32WindowSystem system{GetModuleHandleW(nullptr)};
    ui::FormSet forms{system};
    Inputs form{forms};
};

TEST_F(InputControlsTest, ComboBoxesHoldTheModelAndReportTheUsersChoiceAndTyping) {
    HWND hour = child(L"ThunderRT6ComboBox", 0);
    HWND kind = child(L"ThunderRT6ComboBox", 1);
    ASSERT_TRUE(hour && kind);
    EXPECT_EQ(SendMessageW(hour, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(GetWindowLongW(kind, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    form.hour.setText("7");
    EXPECT_EQ(textOf(hour), L"7") << "an editable combo box shows any text";
    form.hour.setListIndex(2);
    EXPECT_EQ(textOf(hour), L"23");
    EXPECT_EQ(form.hourClicks, 1);

    SendMessageW(hour, CB_SETCURSEL, 1, 0);
    command(hour, CBN_SELCHANGE);
    EXPECT_EQ(form.hour.listIndex(), 1);
    EXPECT_EQ(form.hour.text(), "1");
    EXPECT_EQ(form.hourClicks, 2);
    EXPECT_EQ(SendMessageW(kind, CB_GETCURSEL, 0, 0), 0) << "what its handler did shows";

    // Typing into the edit field: the combo box tells its parent, the model follows.
    HWND edit = GetWindow(hour, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"08"));
    command(hour, CBN_EDITCHANGE);
    EXPECT_EQ(form.hour.text(), "08");
    EXPECT_EQ(form.hour.listIndex(), -1);
    EXPECT_GE(form.hourChanges, 1);

    form.kind.setText("重启");
    EXPECT_EQ(SendMessageW(kind, CB_GETCURSEL, 0, 0), 1);
    form.kind.setText("注销");
    EXPECT_EQ(form.kind.listIndex(), -1) << "a list takes only its own items";
    EXPECT_EQ(form.kind.text(), "");
}

TEST_F(InputControlsTest, TextBoxShowsTheTextTakesTypingAndCanRefuseLetters) {
    HWND count = child(L"EDIT");
    ASSERT_NE(count, nullptr);
    form.count.setText("30");
    EXPECT_EQ(textOf(count), L"30");
    SetWindowTextW(count, L"45");
    EXPECT_EQ(form.count.text(), "45");
    EXPECT_FALSE(GetWindowLongW(count, GWL_STYLE) & ES_NUMBER);
    form.count.setDigitsOnly(true);
    EXPECT_TRUE(GetWindowLongW(count, GWL_STYLE) & ES_NUMBER);
}

TEST_F(InputControlsTest, ListViewShowsColumnsRowsAndSelectionAndReportsTheUser) {
    HWND list = child(WC_LISTVIEWW);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_REPORT);
    form.plans.addColumn("开始时间", 1288);
    form.plans.addColumn("电台名称", 1628);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), system.pixelsFromTwips(1628));
    form.plans.addRow({"8:05:00", "北京新闻"});
    form.plans.addRow({"9:00:00", "中文环球"});
    form.plans.addRow({"10:00:00", "英国BBC"});
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(listText(list, 1, 1), L"中文环球");
    form.plans.setText(1, 1, "美国之音");
    EXPECT_EQ(listText(list, 1, 1), L"美国之音");
    form.plans.removeRow(0);
    EXPECT_EQ(listText(list, 0, 0), L"9:00:00");

    // Single selection by default; multiple once allowed, by code and by the user.
    form.plans.setSelected(0, true);
    form.plans.setSelected(1, true);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    form.plans.setMultiSelect(true);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(form.plans.selected(0));
    EXPECT_TRUE(form.plans.selected(1));

    form.plans.setFlat(true);
    form.plans.setBorder(false);
    EXPECT_FALSE(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_BORDER);

    notifyParent(list, NM_DBLCLK);
    EXPECT_EQ(form.doubleClicks, 1);
    // A right click on a row: the row under the pointer comes with the event.
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    NMITEMACTIVATE click{};
    click.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(NM_RCLICK)};
    click.iItem = -1;
    click.ptAction = {r.left + 5, (r.top + r.bottom) / 2};
    SendMessageW(system.windowOf(form), WM_NOTIFY, click.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(form.lastButton, ui::MouseButton::Right);
    EXPECT_EQ(form.lastRow, 1);
}

TEST_F(InputControlsTest, TimePickerShowsTheTimeOfDayAndReportsTheUsersChange) {
    HWND picker = child(DATETIMEPICK_CLASSW);
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(GetWindowLongW(picker, GWL_STYLE) & DTS_TIMEFORMAT);
    form.start.setTimeOfDay(23 * 3600 + 50 * 60 + 7);
    SYSTEMTIME st{};
    ASSERT_EQ(SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(st.wMinute, 50);
    EXPECT_EQ(st.wSecond, 7);
    st.wHour = 7;
    st.wMinute = 30;
    st.wSecond = 0;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    NMDATETIMECHANGE change{};
    change.nmhdr = {picker, static_cast<UINT_PTR>(GetDlgCtrlID(picker)), DTN_DATETIMECHANGE};
    change.st = st;
    SendMessageW(system.windowOf(form), WM_NOTIFY, change.nmhdr.idFrom,
                 reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(form.start.timeOfDay(), 7 * 3600 + 30 * 60);
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
    form.show();
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
