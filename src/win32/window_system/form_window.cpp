#include "win32/window_system/form_window.h"

#include <commctrl.h>

#include <exception>
#include <string>
#include <utility>

#include "ui/form.h"
#include "ui/form_set.h"
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"
#include "win32/window_system_win32.h"

namespace sonorin::win32 {
namespace {

constexpr UINT kFirstMenuId = 2000;

SIZE clientSize(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

ui::WindowState nativeState(HWND hwnd) {
    if (IsIconic(hwnd))
        return ui::WindowState::Minimized;
    if (IsZoomed(hwnd))
        return ui::WindowState::Maximized;
    return ui::WindowState::Normal;
}

class FormPeer final : public ui::Peer {
  public:
    explicit FormPeer(FormWindow& fw) : fw_(fw) {}
    void changed(ui::Property property) override {
        if (fw_.syncing == &fw_.form)
            return;
        HWND h = fw_.hwnd;
        ui::Form& f = fw_.form;
        switch (property) {
            case ui::Property::Caption:
                SetWindowTextW(h, wide(f.caption()).c_str());
                break;
            case ui::Property::Bounds:
                SetWindowPos(h, nullptr, fw_.px(f.left()), fw_.px(f.top()), fw_.px(f.width()),
                             fw_.px(f.height()), SWP_NOZORDER | SWP_NOACTIVATE);
                break;
            case ui::Property::Visible:
                if (f.visible())
                    show();
                else
                    ShowWindow(h, SW_HIDE);
                break;
            case ui::Property::Value:  // window state
                if (!IsWindowVisible(h))
                    break;
                ShowWindow(h, f.windowState() == ui::WindowState::Minimized   ? SW_MINIMIZE
                              : f.windowState() == ui::WindowState::Maximized ? SW_MAXIMIZE
                                                                              : SW_RESTORE);
                break;
            default:
                break;
        }
    }

  private:
    void show() {
        HWND h = fw_.hwnd;
        ui::Form& f = fw_.form;
        int cmd = SW_SHOW;
        if (!fw_.shownOnce) {
            if (f.windowState() == ui::WindowState::Minimized)
                cmd = SW_SHOWMINIMIZED;
            else if (f.windowState() == ui::WindowState::Maximized)
                cmd = SW_SHOWMAXIMIZED;
            else
                cmd = SW_SHOWNORMAL;
        } else if (f.windowState() == ui::WindowState::Normal && IsIconic(h)) {
            // Set back to normal while hidden (from the tray): show it restored.
            cmd = SW_RESTORE;
        }
        // The first show runs the layout, as every later size change does. It runs before
        // the window appears and before its child windows are made: they are made where the
        // layout puts them (the skin draws each button once, at its size), and the window
        // opens where the layout puts it. The show's own WM_SIZE for that size is then not a
        // second layout.
        if (!fw_.shownOnce && cmd == SW_SHOWNORMAL) {
            f.Form_Resize();
            if (!f.loaded() || !f.visible())
                return;  // the layout closed or hid it
            fw_.laidOut = clientSize(h);
        }
        fw_.system.makeChildren(h);
        fw_.shownOnce = true;
        ShowWindow(h, cmd);
        fw_.laidOut.reset();
    }

    FormWindow& fw_;
};

ChildPeer* childPeer(FormWindow& fw, HWND child) {
    auto it = fw.children.find(child);
    return it == fw.children.end() ? nullptr : it->second;
}

std::optional<ui::AppCommand> appCommand(LPARAM lp) {
    switch (GET_APPCOMMAND_LPARAM(lp)) {
        case APPCOMMAND_MEDIA_PLAY_PAUSE:
            return ui::AppCommand::PlayPause;
        case APPCOMMAND_MEDIA_PLAY:
            return ui::AppCommand::Play;
        case APPCOMMAND_MEDIA_PAUSE:
            return ui::AppCommand::Pause;
        case APPCOMMAND_MEDIA_STOP:
            return ui::AppCommand::Stop;
        case APPCOMMAND_MEDIA_NEXTTRACK:
            return ui::AppCommand::NextTrack;
        case APPCOMMAND_MEDIA_PREVIOUSTRACK:
            return ui::AppCommand::PreviousTrack;
        case APPCOMMAND_VOLUME_UP:
            return ui::AppCommand::VolumeUp;
        case APPCOMMAND_VOLUME_DOWN:
            return ui::AppCommand::VolumeDown;
        case APPCOMMAND_VOLUME_MUTE:
            return ui::AppCommand::VolumeMute;
        default:
            return std::nullopt;
    }
}

bool runAppCommand(FormWindow& fw, std::optional<ui::AppCommand> command, bool focused) {
    if (!command || !fw.form.onAppCommand)
        return false;
    try {
        return fw.form.onAppCommand(*command, focused);
    } catch (...) {
        return false;  // the key goes on to the system, as one not taken
    }
}

// The form's part of a message; nullopt leaves it to the default procedure.
std::optional<LRESULT> handle(FormWindow& fw, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // A key the window in front left to the system: the shell tells the windows that asked.
    if (msg == shellHookMessage() && msg != 0) {
        if (wp == HSHELL_APPCOMMAND)
            return runAppCommand(fw, appCommand(lp), false) ? TRUE : FALSE;
        return std::nullopt;
    }
    if (msg == ThumbButtons::createdMessage() && msg != 0 && fw.form.onAppCommand) {
        if (!fw.thumbButtons)
            fw.thumbButtons = std::make_unique<ThumbButtons>();
        fw.thumbButtons->add(hwnd, fw.dpi);
        return 0;
    }
    switch (msg) {
        // Sent to the window with the focus and passed up to its parent by the default
        // procedure; one not taken goes on to the system (and from there to the shell hook).
        case WM_APPCOMMAND:
            if (runAppCommand(fw, appCommand(lp), true))
                return TRUE;
            return std::nullopt;
        // What a child window tells its parent goes to the child's peer.
        case WM_COMMAND:
            if (const auto thumb = ThumbButtons::clicked(wp); thumb && lp == 0) {
                runAppCommand(fw, thumb, false);
                return 0;
            }
            if (lp == 0)
                fw.menuChosen(LOWORD(wp));
            else if (ChildPeer* peer = childPeer(fw, reinterpret_cast<HWND>(lp)))
                peer->command(HIWORD(wp));
            return 0;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lp);
            ChildPeer* peer = childPeer(fw, header.hwndFrom);
            if (peer && header.code == NM_CUSTOMDRAW)
                return peer->customDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lp));
            if (peer && !fw.applying)
                peer->notify(header);
            return 0;
        }
        case WM_HSCROLL:
            if (ChildPeer* peer = childPeer(fw, reinterpret_cast<HWND>(lp)))
                peer->scrolled();
            return 0;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            if (ChildPeer* peer = childPeer(fw, reinterpret_cast<HWND>(lp)))
                if (HBRUSH brush = peer->background(reinterpret_cast<HDC>(wp)))
                    return reinterpret_cast<LRESULT>(brush);
            return std::nullopt;
        case WM_CLOSE:
            fw.form.forms().unload(fw.form, ui::kUnloadFormControlMenu);
            return 0;
        case WM_DISPLAYCHANGE:
            fw.system.screenChanged();
            return std::nullopt;
        case WM_DPICHANGED:
            fw.system.screenChanged();
            applyDpi(fw, LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_SETTINGCHANGE:
            fw.system.screenChanged();
            if (fw.system.onSettingChange)
                fw.system.onSettingChange();
            return std::nullopt;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp)
                fw.form.forms().unload(fw.form, ui::kUnloadAppWindows);
            return 0;
        case WM_MOVE:
            syncBounds(fw);
            return std::nullopt;
        case WM_SIZE: {
            for (auto& [child, peer] : fw.children)
                peer->parentResized();
            syncBounds(fw);
            fw.form.syncWindowState(nativeState(hwnd));
            if (fw.shownOnce && IsWindowVisible(hwnd)) {
                const SIZE now = clientSize(hwnd);
                if (!fw.laidOut || fw.laidOut->cx != now.cx || fw.laidOut->cy != now.cy)
                    fw.form.Form_Resize();
            }
            msg::tellFormResized(hwnd);
            return 0;
        }
        // Loops the system runs for this window: its menus, moving and sizing it, and a
        // modal box or dialog, which disables the windows it stops (under Wine a message box
        // tells its owner nothing else: its template asks for no WM_ENTERIDLE). The program's
        // timers go on ticking in them.
        case WM_ENABLE:
            if (!wp)
                TimerBeatWin32::nestedLoopStarts();
            return std::nullopt;
        case WM_ENTERMENULOOP:
        case WM_ENTERSIZEMOVE:
        case WM_ENTERIDLE:
            TimerBeatWin32::nestedLoopStarts();
            return std::nullopt;
        case WM_SHOWWINDOW:
            if (!wp && fw.form.visible() && lp == 0)
                fw.form.syncVisible(false);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

FormWindow::FormWindow(Win32WindowSystem& s, ui::Form& f) : system(s), form(f) {}

FormWindow::~FormWindow() {
    close();
}

void FormWindow::close() {
    if (hwnd && shellHooked)
        DeregisterShellHookWindow(hwnd);
    shellHooked = false;
    if (hwnd)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    thumbButtons.reset();
    menuBar.release();  // destroyed with the window
    window.reset();
    hwnd = nullptr;
}

UINT shellHookMessage() {
    static const UINT message = RegisterWindowMessageW(L"SHELLHOOK");
    return message;
}

FormWindow* formWindowOf(HWND hwnd) {
    return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::unique_ptr<ui::Peer> makeFormPeer(FormWindow& fw) {
    return std::make_unique<FormPeer>(fw);
}

RECT FormWindow::pixelRect(const ui::Control& c) const {
    RECT r;
    r.left = px(c.formLeft());
    r.top = px(c.formTop());
    r.right = r.left + px(c.width());
    r.bottom = r.top + px(c.height());
    return r;
}

void FormWindow::makeWaitingToolTips() {
    if (toolTip || !toolTipsWaiting)
        return;
    toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!toolTip)
        return;
    toolTipsWaiting = false;
    for (auto& [child, peer] : children)
        peer->giveToolTip();
}

bool FormWindow::numberMenuEntries() {
    UINT next = kFirstMenuId;
    bool onBar = false;
    for (ui::Control* c : form.controls()) {
        if (c->kind() != ui::ControlKind::Menu)
            continue;
        auto* item = static_cast<ui::MenuItem*>(c);
        menuIds[item] = next;
        menuCommands[next++] = item;
        if (!item->parent() && item->visible())
            onBar = true;
    }
    return onBar;
}

void FormWindow::appendMenu(HMENU into, ui::MenuItem& item) {
    if (!item.visible())
        return;
    if (item.isSeparator()) {
        AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
        return;
    }
    UINT flags = item.enabled() ? MF_STRING : (MF_STRING | MF_GRAYED);
    if (item.checked())
        flags |= MF_CHECKED;
    std::wstring text = wide(item.caption());
    if (!item.items().empty()) {
        // The pop-up belongs to the menu it is appended to and goes with it.
        HMENU sub = CreatePopupMenu();
        for (ui::MenuItem* child : item.items())
            appendMenu(sub, *child);
        AppendMenuW(into, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
        AppendMenuW(into, flags, menuIds[&item], text.c_str());
    }
}

ScopedMenu FormWindow::makeMenuBar() {
    bool any = false;
    ScopedMenu bar(CreateMenu());
    for (ui::Control* c : form.controls()) {
        if (c->kind() != ui::ControlKind::Menu)
            continue;
        auto* item = static_cast<ui::MenuItem*>(c);
        if (item->parent() || !item->visible())
            continue;
        appendMenu(bar.get(), *item);
        any = true;
    }
    return any ? std::move(bar) : ScopedMenu{};
}

void FormWindow::rebuildMenuBar() {
    ScopedMenu old = std::exchange(menuBar, makeMenuBar());
    SetMenu(hwnd, menuBar.get());
    old.reset();
    DrawMenuBar(hwnd);
}

void FormWindow::menuChosen(UINT id) {
    auto it = menuCommands.find(id);
    if (it != menuCommands.end() && it->second->enabled())
        it->second->click();
}

void syncBounds(FormWindow& fw) {
    RECT r;
    if (IsIconic(fw.hwnd) || !GetWindowRect(fw.hwnd, &r))
        return;
    fw.form.syncFromNative(twipsAt(r.left, fw.dpi), twipsAt(r.top, fw.dpi),
                           twipsAt(r.right - r.left, fw.dpi), twipsAt(r.bottom - r.top, fw.dpi));
}

void applyDpi(FormWindow& fw, int dpi, const RECT& outer) {
    fw.dpi = dpi;
    HFONT font = fw.system.fontFor(dpi);
    for (auto& [child, peer] : fw.children)
        msg::setFont(child, font);
    // The new size runs the form's own layout through WM_SIZE; the controls it does not
    // place are put where their twips say.
    SetWindowPos(fw.hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (ui::Control* c : fw.form.controls())
        if (ui::Peer* peer = c->peer())
            peer->changed(ui::Property::Bounds);
    InvalidateRect(fw.hwnd, nullptr, TRUE);
}

RECT scaledAroundCentre(HWND hwnd, int from, int to) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = MulDiv(r.right - r.left, to, from), h = MulDiv(r.bottom - r.top, to, from);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    return RECT{cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h};
}

LRESULT CALLBACK formProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<FormWindow*>(cs->lpCreateParams)->hwnd = hwnd;
    }
    FormWindow* fw = formWindowOf(hwnd);
    if (!fw || !fw->form.loaded())
        return DefWindowProcW(hwnd, msg, wp, lp);
    // An exception must not unwind through the system's frames between here and the message
    // loop. The handler may have closed the window, so only the window system is used after.
    Win32WindowSystem& system = fw->system;
    try {
        if (std::optional<LRESULT> result = handle(*fw, hwnd, msg, wp, lp))
            return *result;
    } catch (const std::exception& e) {
        system.reportFault(std::string("a handler of message ") + std::to_string(msg) +
                           " failed: " + e.what());
        return 0;
    } catch (...) {
        system.reportFault("a handler of message " + std::to_string(msg) + " failed");
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace sonorin::win32
