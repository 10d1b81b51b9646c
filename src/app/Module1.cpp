#include "app/Module1.h"

namespace sonorin {
namespace {

constexpr std::intptr_t kLeftButtonUp = 514;   // WM_LBUTTONUP
constexpr std::intptr_t kRightButtonUp = 517;  // WM_RBUTTONUP

}  // namespace

TraySet::TraySet(TrayIcons& tray, WindowSystem& windows, ui::Form*& form, ui::MenuItem*& menu,
                 std::string tip)
    : tray_(tray), windows_(windows), form_(form), menu_(menu), tip_(std::move(tip)) {}

void TraySet::add() {
    // A second add while in the tray would keep our own procedure as the "previous" one and
    // make it call itself; the icon is there already.
    if (hooked_ || !form_ || !form_->loaded())
        return;
    hooked_ = form_;
    tray_.hook(*hooked_, [this](unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
        return windowProc(msg, wParam, lParam);
    });
    tray_.addIcon(*hooked_, kTrayCallbackMessage, tip_);
}

void TraySet::hideWhenMinimized() {
    if (form_ && form_->loaded() && form_->windowState() == ui::WindowState::Minimized)
        form_->hide();
}

void TraySet::remove() {
    if (!hooked_)
        return;
    ui::Form& form = *hooked_;
    hooked_ = nullptr;
    tray_.deleteIcon(form);
    tray_.unhook(form);
}

std::optional<std::intptr_t> TraySet::windowProc(unsigned msg, std::uintptr_t,
                                                 std::intptr_t lParam) {
    if (msg == kTrayCallbackMessage && form_) {
        ui::Form& form = *form_;
        if (lParam == kLeftButtonUp && form.windowState() == ui::WindowState::Minimized) {
            remove();
            form.setWindowState(ui::WindowState::Normal);
            form.show();
            windows_.activate(form);
            return 0;
        }
        if (lParam == kRightButtonUp) {
            // The window must be in the foreground, or the menu stays open when the user
            // clicks elsewhere.
            tray_.setForeground(form);
            if (menu_) {
                if (menu_->onOpening)
                    menu_->onOpening();
                windows_.popupMenu(form, *menu_);
            }
            return 0;
        }
    }
    // Explorer restarted and forgot every icon: ours is still meant to be there.
    if (msg == tray_.taskbarCreatedMessage() && hooked_)
        tray_.addIcon(*hooked_, kTrayCallbackMessage, tip_);
    return std::nullopt;
}

Module1::Module1(TrayIcons& tray, WindowSystem& windows, ui::Form*& trayForm,
                 ui::MenuItem*& trayMenu)
    : main_(tray, windows, trayForm, trayMenu, kMainTrayTip),
      shutdown_(tray, windows, ShutdownTrayForm, ShutdownTrayMenu, kShutdownTrayTip) {}

}  // namespace sonorin
