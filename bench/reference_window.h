// What the start-up benchmark's reference windows share: the window class, the program's
// caption (the benchmark finds every window by it), the show and the message loop. They differ
// only in what they put into the window.
#pragma once

#include <windows.h>

namespace reference {

inline LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A top-level window of the given outer size, not yet shown; null when it cannot be made.
inline HWND createWindow(HINSTANCE instance, const wchar_t* className, int width, int height,
                         HMENU menu) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc))
        return nullptr;
    return CreateWindowExW(0, className, L"星澜网络收音机(Sonorin)",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                           CW_USEDEFAULT, width, height, nullptr, menu, instance, nullptr);
}

// Shows the window and runs its messages until it is closed.
inline int showAndRun(HWND hwnd, int show) {
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace reference
