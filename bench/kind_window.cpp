// A plain window of the program's kind, the second reference scripts/bench can measure against
// (--bare build/windows/sonorin-kind.exe): the program's manifest (common controls 6, per-monitor
// DPI aware), a menu bar, ten push buttons and a label in the program's font, a slider, a
// progress bar and a status bar with three panels. No skin, no start-up steps, no second window:
// what any program that shows such a window pays before it does anything of its own.
#include "reference_window.h"

#include <commctrl.h>

#include <initializer_list>

namespace {

HWND child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
           HWND parent, HINSTANCE instance, HFONT font) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             nullptr, instance, nullptr);
    if (c && font)
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    HMENU bar = CreateMenu();
    for (const wchar_t* title : {L"文件(F)", L"设置(S)", L"帮助(H)"}) {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 100, L"退出");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    }
    HWND hwnd = reference::createWindow(instance, L"SonorinBenchKind", 330, 400, bar);
    if (!hwnd)
        return 1;
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
    const wchar_t* captions[] = {L"录音", L"停止",  L"定时1", L"保存", L"重置",
                                 L"设置", L"定时2", L"更多",  L"还原", L"收听"};
    for (int i = 0; i < 10; ++i)
        child(L"BUTTON", captions[i], BS_PUSHBUTTON | WS_TABSTOP, (i % 7) * 46, (i / 7) * 50, 46,
              49, hwnd, instance, font);
    child(L"STATIC", L"没有联网，不能收听", 0, 20, 120, 200, 20, hwnd, instance, font);
    child(TRACKBAR_CLASSW, L"", 0, 10, 160, 280, 25, hwnd, instance, nullptr);
    child(PROGRESS_CLASSW, L"", 0, 10, 200, 280, 15, hwnd, instance, nullptr);
    HWND status = child(STATUSCLASSNAMEW, L"", 0, 0, 0, 0, 0, hwnd, instance, nullptr);
    int panels[] = {100, 200, -1};
    SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(panels));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"停止"));
    return reference::showAndRun(hwnd, show);
}
