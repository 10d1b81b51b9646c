#include "win32/tray_icons_win32.h"

#include <shellapi.h>

#include <map>
#include <utility>

#include "win32/wide.h"
#include "win32/window_system_win32.h"

namespace sonorin::win32 {
namespace {

struct Hook {
    WNDPROC previous = nullptr;
    TrayIcons::WindowProc proc;
    bool iconShown = false;
};

// One user-interface thread: the hooked windows of the process.
std::map<HWND, Hook>& hooks() {
    static std::map<HWND, Hook> table;
    return table;
}

void deleteIconOf(HWND hwnd) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 0;
    data.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

LRESULT CALLBACK trayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = hooks().find(hwnd);
    if (it == hooks().end())
        return DefWindowProcW(hwnd, msg, wp, lp);
    WNDPROC previous = it->second.previous;
    if (msg == WM_NCDESTROY) {
        // The window goes while still in the tray: its icon and hook go with it.
        if (it->second.iconShown)
            deleteIconOf(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        hooks().erase(it);
        return CallWindowProcW(previous, hwnd, msg, wp, lp);
    }
    // The procedure may unhook the window: call a copy.
    TrayIcons::WindowProc proc = it->second.proc;
    if (std::optional<std::intptr_t> handled = proc(msg, wp, lp))
        return *handled;
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
}

}  // namespace

Win32TrayIcons::Win32TrayIcons(Win32WindowSystem& windows)
    : windows_(windows), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

Win32TrayIcons::~Win32TrayIcons() {
    for (auto& [hwnd, hook] : hooks()) {
        if (hook.iconShown)
            deleteIconOf(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook.previous));
    }
    hooks().clear();
}

void Win32TrayIcons::hook(ui::Form& form, WindowProc proc) {
    HWND hwnd = windows_.windowOf(form);
    if (!hwnd || hooks().count(hwnd))
        return;
    Hook& h = hooks()[hwnd];
    h.proc = std::move(proc);
    h.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trayProc)));
}

void Win32TrayIcons::unhook(ui::Form& form) {
    HWND hwnd = windows_.windowOf(form);
    auto it = hooks().find(hwnd);
    if (it == hooks().end())
        return;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
    hooks().erase(it);
}

void Win32TrayIcons::addIcon(ui::Form& form, unsigned callbackMessage, const std::string& tip) {
    HWND hwnd = windows_.windowOf(form);
    if (!hwnd)
        return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICONSM));
    if (!data.hIcon)
        data.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON));
    const std::wstring text = wide(tip);
    lstrcpynW(data.szTip, text.c_str(), static_cast<int>(std::size(data.szTip)));
    Shell_NotifyIconW(NIM_ADD, &data);
    auto it = hooks().find(hwnd);
    if (it != hooks().end())
        it->second.iconShown = true;
}

void Win32TrayIcons::showNotice(ui::Form& form, const std::string& title, const std::string& text) {
    HWND hwnd = windows_.windowOf(form);
    auto it = hooks().find(hwnd);
    if (!hwnd || it == hooks().end() || !it->second.iconShown)
        return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 0;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    const std::wstring heading = wide(title);
    const std::wstring body = wide(text);
    lstrcpynW(data.szInfoTitle, heading.c_str(), static_cast<int>(std::size(data.szInfoTitle)));
    lstrcpynW(data.szInfo, body.c_str(), static_cast<int>(std::size(data.szInfo)));
    // A notice that cannot be shown is no loss: the title is in the list either way.
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32TrayIcons::deleteIcon(ui::Form& form) {
    HWND hwnd = windows_.windowOf(form);
    if (!hwnd)
        return;
    deleteIconOf(hwnd);
    auto it = hooks().find(hwnd);
    if (it != hooks().end())
        it->second.iconShown = false;
}

void Win32TrayIcons::setForeground(ui::Form& form) {
    if (HWND hwnd = windows_.windowOf(form))
        SetForegroundWindow(hwnd);
}

unsigned Win32TrayIcons::taskbarCreatedMessage() {
    return taskbarCreated_;
}

}  // namespace sonorin::win32
