// The message pump of the Windows-layer tests: what the code under test reports through the
// message loop (timers, posted results, socket events, paints) happens only while a test lets
// messages through on its thread.
#pragma once

#include <windows.h>

#include <algorithm>

namespace sonorin::testing {

// Dispatches every message waiting for this thread, and returns.
inline void pumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Lets messages through until `done()` holds or `timeoutMs` has passed (at least one batch,
// unless it holds at once); whether it holds. `done` is asked after every batch of messages and
// at least every few milliseconds, so it may also wait for another thread.
template <class Predicate>
bool pumpUntil(Predicate&& done, DWORD timeoutMs) {
    constexpr ULONGLONG kSliceMs = 5;
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        pumpPending();
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return done();
        const auto slice = static_cast<DWORD>(std::min(kSliceMs, end - now));
        MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return true;
}

// The dialog box (a message box among them) this thread shows; null when none shows.
inline HWND shownDialogBox() {
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM out) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(h, cls, 32);
            if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(h))
                return TRUE;
            *reinterpret_cast<HWND*>(out) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box;
}

// Lets messages through for `milliseconds`.
inline void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

}  // namespace sonorin::testing
