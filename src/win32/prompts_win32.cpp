#include "win32/prompts_win32.h"

#include <windows.h>

// After windows.h, which it needs.
#include <commdlg.h>
#include <ole2.h>

#include <algorithm>
#include <vector>

#include "win32/dpi_win32.h"
#include "win32/system_library.h"
#include "win32/wide.h"
#include "win32/window_system/timer_beat_win32.h"

namespace sonorin {
namespace {

// The window the user works in: the active window of this thread. When the program is in
// the background (a programmed recording finishing while the user works elsewhere) there is
// none; then the topmost visible, enabled, unowned window of this thread, so that the box
// still belongs to the program's window and keeps it modal.
HWND ownerWindow() {
    if (HWND active = GetActiveWindow())
        return active;
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM result) -> BOOL {
            const LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
            if (IsWindowVisible(h) && IsWindowEnabled(h) && !GetWindow(h, GW_OWNER) &&
                !(exStyle & WS_EX_TOOLWINDOW)) {
                *reinterpret_cast<HWND*>(result) = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring windowText(HWND h) {
    const int length = GetWindowTextLengthW(h);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(h, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

// ---- Input box -----------------------------------------------------------------------------

struct InputBox {
    HWND edit = nullptr;
    HWND lastFocus = nullptr;
    bool done = false;
    bool accepted = false;
    std::wstring answer;
};

LRESULT CALLBACK inputBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    auto* box = reinterpret_cast<InputBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!box)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                box->answer = windowText(box->edit);
                box->accepted = true;
                box->done = true;
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                box->done = true;
                return 0;
            }
            break;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CLOSE:
            box->done = true;  // as Cancel; the caller destroys the window
            return 0;
        case WM_ACTIVATE:
            // Give the keyboard focus back to where it was when the box is activated again.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus))
                    box->lastFocus = focus;
            } else {
                SetFocus(box->lastFocus ? box->lastFocus : box->edit);
            }
            return 0;
        case WM_DESTROY:
            box->done = true;
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool registerInputBoxClass(HINSTANCE instance) {
    static const bool registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = inputBoxProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kInputBoxClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

struct ThreadWindows {
    HWND except;
    std::vector<HWND> found;
};

// The windows this thread shows and the user could otherwise click while the box is open.
std::vector<HWND> enabledWindowsOfThread(HWND except) {
    ThreadWindows windows{except, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM param) -> BOOL {
            auto* w = reinterpret_cast<ThreadWindows*>(param);
            if (h != w->except && IsWindowVisible(h) && IsWindowEnabled(h))
                w->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows.found;
}

// Where the box goes: centred on its owner when the owner is on screen, otherwise on the
// work area, and always inside the work area.
POINT boxPosition(HWND owner, int width, int height) {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoW(monitor, &info))
        work = info.rcWork;
    RECT around = work;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);
    LONG x = around.left + (around.right - around.left - width) / 2;
    LONG y = around.top + (around.bottom - around.top - height) / 2;
    if (x + width > work.right)
        x = work.right - width;
    if (y + height > work.bottom)
        y = work.bottom - height;
    if (x < work.left)
        x = work.left;
    if (y < work.top)
        y = work.top;
    return POINT{x, y};
}

}  // namespace

MsgAnswer Win32Prompts::messageBox(const std::string& text, const std::string& title,
                                   MsgButtons buttons, MsgIcon icon) {
    UINT type = MB_SETFOREGROUND;
    switch (buttons) {
        case MsgButtons::Ok:
            type |= MB_OK;
            break;
        case MsgButtons::OkCancel:
            type |= MB_OKCANCEL;
            break;
        case MsgButtons::YesNo:
            type |= MB_YESNO;
            break;
        case MsgButtons::YesNoCancel:
            type |= MB_YESNOCANCEL;
            break;
    }
    switch (icon) {
        case MsgIcon::None:
            break;
        case MsgIcon::Critical:
            type |= MB_ICONHAND;
            break;
        case MsgIcon::Question:
            type |= MB_ICONQUESTION;
            break;
        case MsgIcon::Exclamation:
            type |= MB_ICONEXCLAMATION;
            break;
        case MsgIcon::Information:
            type |= MB_ICONASTERISK;
            break;
    }
    HWND owner = ownerWindow();
    // Without an owner the box still keeps every window of the program waiting.
    if (!owner)
        type |= MB_TASKMODAL;
    win32::TimerBeatWin32::nestedLoopStarts();
    // An empty title is passed as an empty text: a null one would read "Error".
    switch (MessageBoxW(owner, win32::wide(text).c_str(), win32::wide(title).c_str(), type)) {
        case IDOK:
            return MsgAnswer::Ok;
        case IDYES:
            return MsgAnswer::Yes;
        case IDNO:
            return MsgAnswer::No;
        case IDCANCEL:
            return MsgAnswer::Cancel;
        default:
            // The box could not be shown: answer what declines, so that nothing is done on
            // the user's behalf.
            if (buttons == MsgButtons::Ok)
                return MsgAnswer::Ok;
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

std::string Win32Prompts::inputBox(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registerInputBoxClass(instance))
        return {};

    // The box opens over its owner, so it takes the DPI of the owner's monitor.
    HWND owner = ownerWindow();
    const int dpi = owner ? win32::windowDpi(owner) : win32::systemDpi();
    auto px = [dpi](int value) { return MulDiv(value, dpi, 96); };

    // Prompt top left, OK and Cancel top right, the answer along the bottom.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, px(360), px(128)};
    win32::adjustWindowRect(frame, style, false, exStyle, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const POINT at = boxPosition(owner, width, height);

    InputBox box;
    HWND hwnd = CreateWindowExW(exStyle, kInputBoxClass, win32::wide(title).c_str(), style, at.x,
                                at.y, width, height, owner, nullptr, instance, &box);
    if (!hwnd)
        return {};

    HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
    auto child = [&](DWORD childExStyle, const wchar_t* cls, const std::wstring& text,
                     DWORD childStyle, int x, int y, int w, int h, int id) {
        HWND c =
            CreateWindowExW(childExStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | childStyle,
                            px(x), px(y), px(w), px(h), hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (c && font)
            SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return c;
    };
    // Creation order is tab order: the answer, OK, Cancel.
    child(0, L"STATIC", win32::wide(prompt), SS_LEFT | SS_NOPREFIX, 10, 10, 262, 74,
          kInputBoxPromptId);
    box.edit = child(WS_EX_CLIENTEDGE, L"EDIT", win32::wide(defaultText),
                     WS_TABSTOP | ES_AUTOHSCROLL, 10, 96, 340, 24, kInputBoxEditId);
    child(0, L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 282, 10, 68, 26, IDOK);
    child(0, L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 282, 42, 68, 26, IDCANCEL);

    // Disable the rest only once the box exists, so activation has somewhere to go.
    std::vector<HWND> disabled;
    for (HWND w : enabledWindowsOfThread(hwnd)) {
        EnableWindow(w, FALSE);
        disabled.push_back(w);
    }
    if (owner && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        disabled.push_back(owner);
    }
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetFocus(box.edit);
    SendMessageW(box.edit, EM_SETSEL, 0, -1);

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    win32::TimerBeatWin32::nestedLoopStarts();
    while (!box.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: end as Cancel and pass it on to the outer loop
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got < 0)
            break;
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // Enable the other windows before the box goes, so the owner is activated again.
    for (HWND w : disabled)
        if (IsWindow(w))
            EnableWindow(w, TRUE);
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    if (font)
        DeleteObject(font);
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return box.accepted ? win32::narrow(box.answer) : std::string();
}

std::optional<std::string> Win32Prompts::saveFileDialog(const SaveDialogRequest& request) {
    // "Description|pattern|..." becomes the NUL-separated list the dialog reads, ending in
    // two NULs.
    std::wstring filter = win32::wide(request.filter);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.append(2, L'\0');

    // Room for the longest path Windows accepts, Chinese folders included.
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring name = win32::wide(request.fileName);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    const std::wstring title = win32::wide(request.title);
    const std::wstring folder = win32::wide(request.initialFolder);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = ownerWindow();
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // A name typed without an extension gets the filter's, before the dialog asks about
    // replacing a file of that name; one typed with another extension stays as typed.
    // OFN_EXTENSIONDIFFERENT is only ever reported back by the dialog; it is part of the flag
    // value the program has always passed and changes nothing.
    const std::wstring extension = win32::wide(request.defaultExtension());
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT;
    if (request.overwritePrompt)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    // comdlg32 brings the printing system with it: it is loaded when a save is first asked for.
    static const auto getSaveFileName =
        win32::systemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    // The dialog's shell view wants OLE on this thread, for the time of the dialog (balanced,
    // so a radio pane that started it keeps it).
    const HRESULT ole = OleInitialize(nullptr);
    win32::TimerBeatWin32::nestedLoopStarts();
    const bool chosen = getSaveFileName && getSaveFileName(&ofn);
    if (SUCCEEDED(ole))
        OleUninitialize();
    if (!chosen)
        return std::nullopt;  // cancelled, or the dialog failed
    return win32::narrow(file.data());
}

}  // namespace sonorin
