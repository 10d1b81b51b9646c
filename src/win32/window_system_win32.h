// The real windows behind the portable forms: one top-level window per form, one child
// window per control (made when the form first shows), timers, menus and tool tips.
// The form's window is window_system/form_window.*, each control kind's peer is in
// window_system/controls/, and window_system/control_kinds.cpp is the table that joins them.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/window_system.h"
#include "win32/dpi_win32.h"
#include "win32/window_system/timer_beat_win32.h"

namespace sonorin::ui {
class Form;
class Control;
}  // namespace sonorin::ui

namespace sonorin::win32 {

struct FormWindow;

class Win32WindowSystem : public WindowSystem {
  public:
    explicit Win32WindowSystem(HINSTANCE instance);
    ~Win32WindowSystem() override;

    void createWindow(ui::Form& form) override;
    void destroyWindow(ui::Form& form) override;
    void runModal(ui::Form& form) override;
    void doEvents() override;
    void popupMenu(ui::Form& owner, ui::MenuItem& menu) override;
    void activate(ui::Form& form) override;
    double screenWidth() override;
    double screenHeight() override;
    ui::ScreenArea workArea(double left, double top, double width, double height) override;
    double titleBarHeight() override;
    std::uintptr_t nativeHandle(const ui::Form& form) override;

    // Runs the program's message loop until the last window is gone; returns the exit code.
    // onIdle runs after each message the loop dispatched, outside every handler.
    int runMessageLoop();
    std::function<void()> onIdle;
    // A system setting changed (WM_SETTINGCHANGE reached one of the program's windows), the
    // user's date and time pictures among them.
    std::function<void()> onSettingChange;
    // A window's child windows are made at its first show; this runs right after.
    std::function<void(ui::Form&)> onChildrenMade;
    // Makes them now (at most once per window). False when the system refused some of them;
    // each is reported (reportFault), and its control goes on without a window.
    bool makeChildren(HWND window);
    // Makes the child window of a control that waited, hidden, for its first show.
    void makeWaitingChild(FormWindow& fw, ui::Control& control);

    // What went wrong where no caller can be told by a result: a window the system would not
    // make, a handler that threw inside a window procedure. It goes to the debugger's output
    // (OutputDebugString) and to onFault.
    void reportFault(const std::string& what) noexcept;
    std::function<void(const std::string& what)> onFault;

    // At the system DPI; each window converts with the DPI of its own monitor.
    int pixelsFromTwips(double twips) const;
    double twipsFromPixels(int pixels) const;
    HFONT fontFor(int dpi);
    HWND windowOf(const ui::Form& form) const;
    // The primary monitor's DPI and size in pixels, asked of the system once until the display
    // or a setting changes (each question is three wineserver round trips under Wine, and every
    // layout asks for the screen's width and height to centre the window).
    struct Screen {
        int dpi;
        int width;
        int height;
    };
    const Screen& screen();
    void screenChanged() { screen_.reset(); }
    // Every form's timers run on it.
    TimerBeatWin32& timerBeat() { return beat_; }

  private:
    bool translateForDialog(MSG& msg);
    void relayToToolTip(MSG& msg, HWND top);

    HINSTANCE instance_;
    int dpi_ = kDefaultDpi;
    std::optional<Screen> screen_;
    DpiFonts fonts_;
    TimerBeatWin32 beat_{*this};
    std::map<const ui::Form*, std::unique_ptr<FormWindow>> windows_;
};

}  // namespace sonorin::win32
