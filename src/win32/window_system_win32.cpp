#include "win32/window_system_win32.h"

#include <commctrl.h>

#include <vector>

#include "ui/form.h"
#include "ui/form_set.h"
#include "win32/control_classes_win32.h"
#include "win32/wide.h"
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_kinds.h"
#include "win32/window_system/control_messages.h"
#include "win32/window_system/form_window.h"

namespace sonorin::win32 {
namespace {

constexpr int kAppIconId = 1;

DWORD styleFor(const ui::Form& form, DWORD& exStyle) {
    exStyle = WS_EX_CONTROLPARENT;
    // No WS_CLIPCHILDREN: a group box leaves its inside to the form to paint.
    DWORD style = WS_CAPTION | WS_SYSMENU;
    switch (form.borderStyle()) {
        case ui::BorderStyle::FixedSingle:
            style |= WS_BORDER;
            break;
        case ui::BorderStyle::FixedDialog:
            style |= DS_MODALFRAME;
            exStyle |= WS_EX_DLGMODALFRAME;
            break;
        case ui::BorderStyle::Sizable:
            style |= WS_THICKFRAME;
            break;
    }
    if (form.minButton())
        style |= WS_MINIMIZEBOX;
    if (form.maxButton())
        style |= WS_MAXIMIZEBOX;
    return style;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    registerControlClasses(instance_);
    dpi_ = systemDpi();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = formProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kAppIconId));
    if (!wc.hIcon)
        wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClassName;
    RegisterClassExW(&wc);  // a second window system in the process finds it registered
}

Win32WindowSystem::~Win32WindowSystem() = default;

void Win32WindowSystem::reportFault(const std::string& what) noexcept {
    try {
        OutputDebugStringW(wide("Sonorin window system: " + what + "\n").c_str());
        if (onFault)
            onFault(what);
    } catch (...) {
        // Reporting is the last resort: nothing is left to tell.
    }
}

int Win32WindowSystem::pixelsFromTwips(double twips) const {
    return pixelsAt(twips, dpi_);
}

double Win32WindowSystem::twipsFromPixels(int pixels) const {
    return twipsAt(pixels, dpi_);
}

HFONT Win32WindowSystem::fontFor(int dpi) {
    return fonts_.at(dpi);
}

std::uintptr_t Win32WindowSystem::nativeHandle(const ui::Form& form) {
    return reinterpret_cast<std::uintptr_t>(windowOf(form));
}

HWND Win32WindowSystem::windowOf(const ui::Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second->hwnd;
}

// In twips of the primary monitor, the DPI at which a window centred on it converts its own
// position.
double Win32WindowSystem::screenWidth() {
    return twipsAt(screen().width, screen().dpi);
}

double Win32WindowSystem::screenHeight() {
    return twipsAt(screen().height, screen().dpi);
}

const Win32WindowSystem::Screen& Win32WindowSystem::screen() {
    if (!screen_)
        screen_ = Screen{primaryMonitorDpi(), GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN)};
    return *screen_;
}

// Window positions are converted at the system DPI, so the work area is too: a box in those
// twips lands on the monitor that shows most of it, and the task bar's edge is left out.
ui::ScreenArea Win32WindowSystem::workArea(double left, double top, double width, double height) {
    const RECT box{pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(left + width),
                   pixelsFromTwips(top + height)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST), &info))
        return WindowSystem::workArea(left, top, width, height);
    const RECT& work = info.rcWork;
    return {twipsFromPixels(work.left), twipsFromPixels(work.top), twipsFromPixels(work.right),
            twipsFromPixels(work.bottom)};
}

double Win32WindowSystem::titleBarHeight() {
    RECT frame{0, 0, 0, 0};
    adjustWindowRect(frame, WS_CAPTION | WS_SYSMENU | WS_BORDER, false, 0, screen().dpi);
    return twipsFromPixels(-frame.top);
}

void Win32WindowSystem::createWindow(ui::Form& form) {
    if (windowOf(form))
        return;
    auto fw = std::make_unique<FormWindow>(*this, form);
    fw->dpi = screen().dpi;  // where a new window opens unless placed elsewhere

    // Menu ids first: the outer size depends on whether there is a menu bar.
    const bool hasMenuBar = fw->numberMenuEntries();
    DWORD exStyle = 0;
    DWORD style = styleFor(form, exStyle);
    RECT r{0, 0, pixelsFromTwips(form.clientWidth()), pixelsFromTwips(form.clientHeight())};
    adjustWindowRect(r, style, hasMenuBar, exStyle, fw->dpi);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = pixelsFromTwips(form.left()), y = pixelsFromTwips(form.top());
    if (form.startCentered()) {
        x = (screen().width - w) / 2;
        y = (screen().height - h) / 2;
    }
    // The menu bar comes with the window: set afterwards, it changed the frame of a window
    // not yet shown twice more (SetMenu, DrawMenuBar).
    ScopedMenu bar = hasMenuBar ? fw->makeMenuBar() : ScopedMenu{};
    HWND hwnd = CreateWindowExW(exStyle, kFormClassName, wide(form.caption()).c_str(), style, x, y,
                                w, h, nullptr, bar.get(), instance_, fw.get());
    if (!hwnd) {
        const DWORD error = GetLastError();
        fw->hwnd = nullptr;
        reportFault("the window of form " + form.name() + " could not be made (error " +
                    std::to_string(error) + ")");
        return;
    }
    fw->window.reset(hwnd);
    FormWindow& window = *fw;
    windows_[&form] = std::move(fw);
    if (form.onAppCommand)
        window.shellHooked = RegisterShellHookWindow(hwnd) != FALSE;
    form.attachPeer(makeFormPeer(window));
    {
        Syncing guard(window, &form);
        syncBounds(window);
    }
    window.menuBar = std::move(bar);

    // Timers, menus and the radio pane belong to the window from its creation; the child
    // windows of the other controls wait for its first show (makeChildren).
    for (ui::Control* c : form.controls()) {
        const ControlKindRow* row = controlKindRow(c->kind());
        if (row && !row->systemClass)
            c->attachPeer(row->makePeer(window, *c));
    }
    if (const int dpi = windowDpi(hwnd); dpi != window.dpi)
        applyDpi(window, dpi, scaledAroundCentre(hwnd, window.dpi, dpi));
}

namespace {

// A hidden button or label that lies on its form itself gets its child window when it first
// shows: the main window has four that the program never shows (its hidden command buttons and
// countdown label), each a window of its own with the skin's state, made before the window could
// appear. Nothing reads them meanwhile: the model holds every value, and a click or a text
// comes from the program, not from the window.
bool waitsWhileHidden(const ui::Control& c) {
    return !c.visible() && !c.container() &&
           (c.kind() == ui::ControlKind::Button || c.kind() == ui::ControlKind::Label);
}

class WaitingChildPeer final : public ui::Peer {
  public:
    WaitingChildPeer(Win32WindowSystem& system, FormWindow& fw, ui::Control& control)
        : system_(system), fw_(fw), control_(control) {}
    void changed(ui::Property property) override {
        // Replaces this peer: nothing of it may be used after the call.
        if (property == ui::Property::Visible && control_.visible())
            system_.makeWaitingChild(fw_, control_);
    }

  private:
    Win32WindowSystem& system_;
    FormWindow& fw_;
    ui::Control& control_;
};

// A label is drawn on its container's surface: it lies under every other control (a caption
// that runs on under the combo box beside it must not cover the combo box). A frame lies under
// the controls it holds, labels included.
void stackChildren(FormWindow& fw) {
    for (Stacking stacking : {Stacking::UnderControls, Stacking::Lowest})
        for (auto& [child, peer] : fw.children)
            if (peer->stacking() == stacking)
                SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

void Win32WindowSystem::makeWaitingChild(FormWindow& fw, ui::Control& control) {
    const ControlKindRow* row = controlKindRow(control.kind());
    std::unique_ptr<ui::Peer> peer = row ? row->makePeer(fw, control) : nullptr;
    if (!peer)
        return;  // reported; the control keeps waiting
    const ui::Peer* made = peer.get();
    control.attachPeer(std::move(peer));
    // A new child window goes under its siblings, and so under everything made since the
    // first show (the radio pane among them); a control that shows later lies over what it
    // overlaps, as a save button under the button row does.
    for (auto& [child, childPeer] : fw.children)
        if (childPeer == made)
            SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    stackChildren(fw);
    if (onChildrenMade)
        onChildrenMade(fw.form);
}

// A window loaded and never shown (the main window of an offline start, the windows other
// windows load to read or keep running) never makes the child windows of its controls: under
// Wine each costs dozens of wineserver calls, and the skin adds surfaces for every button.
// The models hold every value meanwhile and the children take them all when made.
bool Win32WindowSystem::makeChildren(HWND window) {
    FormWindow* fw = formWindowOf(window);
    if (!fw || fw->childrenMade)
        return true;
    fw->childrenMade = true;
    bool allMade = true;
    for (ui::Control* c : fw->form.controls()) {
        const ControlKindRow* row = controlKindRow(c->kind());
        if (!row || !row->systemClass)
            continue;  // not a child window: made with the window
        if (waitsWhileHidden(*c)) {
            c->attachPeer(std::make_unique<WaitingChildPeer>(*this, *fw, *c));
            continue;
        }
        std::unique_ptr<ui::Peer> peer = row->makePeer(*fw, *c);
        if (peer)
            c->attachPeer(std::move(peer));
        else
            allMade = false;
    }
    stackChildren(*fw);
    if (onChildrenMade)
        onChildrenMade(fw->form);
    return allMade;
}

void Win32WindowSystem::destroyWindow(ui::Form& form) {
    auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    std::unique_ptr<FormWindow> fw = std::move(it->second);
    windows_.erase(it);
    // Timers and browser panes go before the window they live in.
    for (const std::function<void()>& release : fw->releaseControls)
        release();
    form.detachPeers();
    fw->close();
    fw.reset();
    if (form.forms().loadedForms().empty())
        PostQuitMessage(0);
}

void Win32WindowSystem::runModal(ui::Form& form) {
    HWND hwnd = windowOf(form);
    if (!hwnd)
        return;
    std::vector<HWND> disabled;
    for (auto& [other, fw] : windows_) {
        if (fw->hwnd != hwnd && IsWindowEnabled(fw->hwnd)) {
            EnableWindow(fw->hwnd, FALSE);
            disabled.push_back(fw->hwnd);
        }
    }
    SetForegroundWindow(hwnd);
    TimerBeatWin32::nestedLoopStarts();
    MSG msg;
    bool quit = false;
    int quitCode = 0;
    while (form.loaded() && form.visible()) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (!translateForDialog(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    for (HWND h : disabled)
        if (IsWindow(h))
            EnableWindow(h, TRUE);
    if (quit)
        PostQuitMessage(quitCode);
}

void Win32WindowSystem::doEvents() {
    // Mostly there is nothing to do (a timer's handler asks every 300 ms for as long as the
    // program runs). Asking the queue first is one round trip to the wineserver; an empty look
    // with PeekMessage is one too and also makes the next wait set the queue's masks again.
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (!translateForDialog(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    beat_.letDueTimersTick();
}

void Win32WindowSystem::popupMenu(ui::Form& owner, ui::MenuItem& menu) {
    auto it = windows_.find(&owner);
    if (it == windows_.end())
        return;
    FormWindow& fw = *it->second;
    const HWND hwnd = fw.hwnd;
    ScopedMenu popup(CreatePopupMenu());
    for (ui::MenuItem* child : menu.items())
        fw.appendMenu(popup.get(), *child);
    POINT pt;
    GetCursorPos(&pt);
    // The owner must be the foreground window, or the menu does not close when the user
    // clicks elsewhere (the classic notification-area pop-up rule).
    SetForegroundWindow(hwnd);
    TimerBeatWin32::nestedLoopStarts();
    UINT id =
        TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr);
    PostMessageW(hwnd, WM_NULL, 0, 0);
    popup.reset();
    // The window may have gone while the menu was open.
    if (id && windowOf(owner) == hwnd)
        fw.menuChosen(id);
}

void Win32WindowSystem::activate(ui::Form& form) {
    HWND hwnd = windowOf(form);
    if (!hwnd)
        return;
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
}

bool Win32WindowSystem::translateForDialog(MSG& msg) {
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!top)
        return false;
    for (auto& [form, fw] : windows_) {
        if (fw->hwnd == top) {
            relayToToolTip(msg, top);
            return IsDialogMessageW(top, &msg) != FALSE;
        }
    }
    return false;
}

// The tool tips learn of the pointer from here, as the tool tip control documents for tools
// it does not subclass.
void Win32WindowSystem::relayToToolTip(MSG& msg, HWND top) {
    if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST)
        return;
    FormWindow* fw = formWindowOf(top);
    if (!fw)
        return;
    fw->makeWaitingToolTips();
    if (fw->toolTip)
        msg::toolTipRelay(fw->toolTip, msg);
}

int Win32WindowSystem::runMessageLoop() {
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                beat_.mainLoopEnded();
                return static_cast<int>(msg.wParam);
            }
            if (!translateForDialog(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (onIdle)
                onIdle();
        }
        // The timers tick in the wait, without a message (see TimerBeatWin32).
        while (beat_.waitInMainLoop()) {
            if (onIdle)
                onIdle();
        }
    }
}

}  // namespace sonorin::win32
