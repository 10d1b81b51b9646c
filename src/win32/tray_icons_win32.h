// Notification-area icons (Shell_NotifyIconW) and the window-procedure hook of a window that
// sits in the tray.
#pragma once

#include <windows.h>

#include "services/tray_icons.h"

namespace sonorin::win32 {

class Win32WindowSystem;

class Win32TrayIcons : public TrayIcons {
  public:
    explicit Win32TrayIcons(Win32WindowSystem& windows);
    ~Win32TrayIcons() override;
    Win32TrayIcons(const Win32TrayIcons&) = delete;
    Win32TrayIcons& operator=(const Win32TrayIcons&) = delete;

    void hook(ui::Form& form, WindowProc proc) override;
    void unhook(ui::Form& form) override;
    void addIcon(ui::Form& form, unsigned callbackMessage, const std::string& tip) override;
    void deleteIcon(ui::Form& form) override;
    void setForeground(ui::Form& form) override;
    void showNotice(ui::Form& form, const std::string& title, const std::string& text) override;
    unsigned taskbarCreatedMessage() override;

  private:
    Win32WindowSystem& windows_;
    UINT taskbarCreated_;
};

}  // namespace sonorin::win32
