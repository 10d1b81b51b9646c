// The notification area ("tray") of the task bar and the window-procedure hook that lets a
// window react to its icon's messages while it sits there.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace sonorin::ui {
class Form;
}

namespace sonorin {

class TrayIcons {
  public:
    // A replacement window procedure: a value when it handled the message, nothing to pass
    // the message on to the window's previous procedure.
    using WindowProc = std::function<std::optional<std::intptr_t>(
        unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)>;

    virtual ~TrayIcons() = default;
    // Replaces the form's window procedure by proc, keeping the previous one.
    virtual void hook(ui::Form& form, WindowProc proc) = 0;
    // Reinstalls the kept previous procedure.
    virtual void unhook(ui::Form& form) = 0;
    // Shell_NotifyIcon NIM_ADD: uID 0, the form's own icon, the callback message and the tip.
    virtual void addIcon(ui::Form& form, unsigned callbackMessage, const std::string& tip) = 0;
    // Shell_NotifyIcon NIM_DELETE of the form's icon (uID 0).
    virtual void deleteIcon(ui::Form& form) = 0;
    virtual void setForeground(ui::Form& form) = 0;
    // A notice that rises from the form's icon for a few seconds; nothing while the form has
    // no icon shown.
    virtual void showNotice(ui::Form& form, const std::string& title, const std::string& text) = 0;
    // The message Explorer broadcasts when it has restarted ("TaskbarCreated").
    virtual unsigned taskbarCreatedMessage() = 0;
};

}  // namespace sonorin
