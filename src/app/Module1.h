// The tray module: puts a window into the notification area and takes it out again. Two
// independent sets serve the main window and the timed-shutdown window; while a set's window
// is in the tray its window procedure is replaced, so that a left click on the icon restores
// the window and a right click pops up the set's menu.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "services/tray_icons.h"
#include "ui/window_system.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

inline constexpr unsigned kTrayCallbackMessage = 2025;
inline constexpr const char* kMainTrayTip = "星澜网络收音机";
inline constexpr const char* kShutdownTrayTip = "星澜网络收音机定时关机";

// One window's tray state and operations. The served window and its menu are the program's
// own variables (TrayForm and TrayMenu for the main set), so a set refers to them.
class TraySet {
  public:
    TraySet(TrayIcons& tray, WindowSystem& windows, ui::Form*& form, ui::MenuItem*& menu,
            std::string tip);

    void add();
    void hideWhenMinimized();
    void remove();
    std::optional<std::intptr_t> windowProc(unsigned msg, std::uintptr_t wParam,
                                            std::intptr_t lParam);
    bool inTray() const { return hooked_ != nullptr; }

  private:
    TrayIcons& tray_;
    WindowSystem& windows_;
    ui::Form*& form_;
    ui::MenuItem*& menu_;
    std::string tip_;
    // The window whose procedure is replaced and whose icon is shown, while in the tray.
    ui::Form* hooked_ = nullptr;
};

class Module1 {
  public:
    Module1(TrayIcons& tray, WindowSystem& windows, ui::Form*& trayForm, ui::MenuItem*& trayMenu);

    ui::Form* ShutdownTrayForm = nullptr;
    ui::MenuItem* ShutdownTrayMenu = nullptr;

    // Main window set.
    void AddTrayIcon() { main_.add(); }
    void HideWhenMinimized() { main_.hideWhenMinimized(); }
    void RemoveTrayIcon() { main_.remove(); }
    std::optional<std::intptr_t> TrayWindowProc(unsigned msg, std::uintptr_t wParam,
                                                std::intptr_t lParam) {
        return main_.windowProc(msg, wParam, lParam);
    }
    bool mainInTray() const { return main_.inTray(); }

    // Timed-shutdown window set.
    void AddShutdownTrayIcon() { shutdown_.add(); }
    void HideShutdownWhenMinimized() { shutdown_.hideWhenMinimized(); }
    void RemoveShutdownTrayIcon() { shutdown_.remove(); }
    std::optional<std::intptr_t> ShutdownTrayWindowProc(unsigned msg, std::uintptr_t wParam,
                                                        std::intptr_t lParam) {
        return shutdown_.windowProc(msg, wParam, lParam);
    }
    bool shutdownInTray() const { return shutdown_.inTray(); }

  private:
    TraySet main_;
    TraySet shutdown_;
};

}  // namespace sonorin
