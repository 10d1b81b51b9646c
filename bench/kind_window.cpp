// A plain window of the program's kind, the second reference scripts/bench can measure against
// (--bare build/windows/sonorin-kind.exe): the program's manifest (common controls 6, per-monitor
// DPI aware), a menu bar, ten push buttons and a label in the program's font, a slider, a
// progress bar and a status bar with three panels. It also does, from its start, the work the
// program must do whatever the user does: the start-up connectivity test, the capture device
// opened through MCI, and the window timers that run from the start with what each sends to
// the system — the recorder monitors' MCI command strings every 200 ms (the main window's, and
// the offline window's too when the test failed), the auto-listen countdown's label every
// 300 ms, the two 1 s clocks of the plan window and, offline, the 2 s reconnect check. No skin,
// no radio pane, no second window, no settings: what any program that shows such a window and
// must do that work pays, done the way a plain Win32 program does it.
//
// Built with SONORIN_PARTS_FLOOR (sonorin-floor.exe) it also does, at the least cost, what the
// program must do at its start beyond such a window: offline, the main window is made first
// and stays hidden (its menu bar, no child windows) while the offline window shows; and every
// window the skin engine attaches keeps the engine's state in its property list, its
// procedure replaced (each button its seven entries and a rounded region; the form and the
// other controls their mark). No face surface is made: the program makes and draws each face
// when it is first shown, after the window appears. Measured in the program's place against
// sonorin-kind.exe, it gives the floor of the ratios.
#include "reference_window.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <wininet.h>

#include <initializer_list>
#include <map>
#include <string>

namespace {

HWND child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
           HWND parent, HINSTANCE instance, HFONT font) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             nullptr, instance, nullptr);
    if (c && font)
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

constexpr char kTestUrl[] = "http://www.baidu.com/";
HWND countdown = nullptr;
HWND clockLabel = nullptr;
int remaining = 5;

#ifdef SONORIN_PARTS_FLOOR
// The saved procedures, read from here rather than from the property list on every message
// (each property read is a wineserver round trip under Wine), as the program's skin does.
std::map<HWND, WNDPROC> savedProcedures;

LRESULT CALLBACK skinnedProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto saved = savedProcedures.find(h);
    return saved != savedProcedures.end()
               ? CallWindowProcW(saved->second, h, message, wParam, lParam)
               : DefWindowProcW(h, message, wParam, lParam);
}

// The skin engine's attachment of one window, as far as it is made before the window shows.
void attach(HWND h, bool button) {
    const auto saved = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
    SetPropA(h, "PROCADDR", reinterpret_cast<HANDLE>(saved));
    savedProcedures[h] = saved;
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(skinnedProc));
    if (!button)
        return;
    RECT r;
    GetWindowRect(h, &r);
    const int w = r.right - r.left, ht = r.bottom - r.top;
    SetPropA(h, "OLDSTYLE", reinterpret_cast<HANDLE>(GetWindowLongPtrW(h, GWL_STYLE)));
    for (const char* name : {"MOUSEFLAG", "TIMERID", "OLDSTATE", "ALPHALEVEL", "STALEFACES"})
        SetPropA(h, name, nullptr);
    SetWindowRgn(h, CreateRoundRectRgn(0, 0, w + 1, ht + 1, 3, 3), TRUE);
}
#endif

// One tick of a recorder monitor: the status of the capture device in the command strings the
// program sends (description, then state).
void CALLBACK monitorTick(HWND, UINT, UINT_PTR, DWORD) {
    static const wchar_t* const kCommands[] = {
        L"set capture time format ms",    L"status capture length",
        L"set capture time format bytes", L"status capture length",
        L"status capture channels",       L"status capture bitspersample",
        L"status capture samplespersec",  L"status capture mode"};
    wchar_t answer[256];
    for (const wchar_t* command : kCommands)
        mciSendStringW(command, answer, 256, nullptr);
}

void CALLBACK countdownTick(HWND, UINT, UINT_PTR, DWORD) {
    SetWindowTextW(countdown, std::to_wstring(--remaining).c_str());
}

// The plan window's two clocks: the plan check reads the time, the clock label shows it.
void CALLBACK planCheckTick(HWND, UINT, UINT_PTR, DWORD) {
    SYSTEMTIME now;
    GetLocalTime(&now);
}

void CALLBACK clockLabelTick(HWND, UINT, UINT_PTR, DWORD) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[32];
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, 32);
    SetWindowTextW(clockLabel, text);
}

void CALLBACK reconnectTick(HWND, UINT, UINT_PTR, DWORD) {
    InternetCheckConnectionA(kTestUrl, FLAG_ICC_FORCE_CONNECTION, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const bool online = InternetCheckConnectionA(kTestUrl, FLAG_ICC_FORCE_CONNECTION, 0);
    mciSendStringW(L"close all", nullptr, 0, nullptr);
    mciSendStringW(L"open new type waveaudio alias capture", nullptr, 0, nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    HMENU bar = CreateMenu();
    for (const wchar_t* title : {L"文件(F)", L"设置(S)", L"帮助(H)"}) {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 100, L"退出");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    }
#ifdef SONORIN_PARTS_FLOOR
    if (!online) {
        HMENU mainBar = CreateMenu();
        for (const wchar_t* title : {L"文件(F)", L"设置(S)", L"帮助(H)"}) {
            HMENU popup = CreatePopupMenu();
            AppendMenuW(popup, MF_STRING, 100, L"退出");
            AppendMenuW(mainBar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
        }
        if (!reference::createWindow(instance, L"SonorinBenchMain", 330, 400, mainBar))
            return 1;
    }
#endif
    HWND hwnd = reference::createWindow(instance, L"SonorinBenchKind", 330, 400, bar);
    if (!hwnd)
        return 1;
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
    const wchar_t* captions[] = {L"录音", L"停止",  L"定时1", L"保存", L"重置",
                                 L"设置", L"定时2", L"更多",  L"还原", L"收听"};
    for (int i = 0; i < 10; ++i) {
        [[maybe_unused]] HWND button =
            child(L"BUTTON", captions[i], BS_PUSHBUTTON | WS_TABSTOP, (i % 7) * 46,
                  (i / 7) * 50, 46, 49, hwnd, instance, font);
#ifdef SONORIN_PARTS_FLOOR
        attach(button, true);
#endif
    }
    child(L"STATIC", L"没有联网，不能收听", 0, 20, 120, 200, 20, hwnd, instance, font);
    child(TRACKBAR_CLASSW, L"", 0, 10, 160, 280, 25, hwnd, instance, nullptr);
    child(PROGRESS_CLASSW, L"", 0, 10, 200, 280, 15, hwnd, instance, nullptr);
    HWND status = child(STATUSCLASSNAMEW, L"", 0, 0, 0, 0, 0, hwnd, instance, nullptr);
    int panels[] = {100, 200, -1};
    SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(panels));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"停止"));
    countdown = child(L"STATIC", L"5", 0, 0, 0, 0, 0, hwnd, instance, nullptr);
    ShowWindow(countdown, SW_HIDE);
    clockLabel = child(L"STATIC", L"", 0, 0, 0, 0, 0, hwnd, instance, nullptr);
    ShowWindow(clockLabel, SW_HIDE);
#ifdef SONORIN_PARTS_FLOOR
    attach(hwnd, false);
    for (HWND h = GetWindow(hwnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (!savedProcedures.count(h))
            attach(h, false);
#endif
    SetTimer(hwnd, 1, 200, monitorTick);
    SetTimer(hwnd, 2, 300, countdownTick);
    SetTimer(hwnd, 3, 1000, planCheckTick);
    SetTimer(hwnd, 4, 1000, clockLabelTick);
    if (!online) {
        SetTimer(hwnd, 5, 200, monitorTick);
        SetTimer(hwnd, 6, 2000, reconnectTick);
    }
    return reference::showAndRun(hwnd, show);
}
