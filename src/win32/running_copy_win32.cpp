#include "win32/running_copy_win32.h"

#include <windows.h>

#include <vector>

#include "app/AudioRecorder.h"
#include "app/Module1.h"
#include "win32/control_classes_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

// The main window and the offline window of other copies: both carry the main caption.
std::vector<HWND> windowsOfOtherCopies() {
    struct Search {
        std::wstring caption = wide(kMainCaption);
        std::vector<HWND> found;
    } search;
    EnumWindows(
        [](HWND h, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(h, &process);
            wchar_t cls[64] = {}, text[64] = {};
            if (process != GetCurrentProcessId() && GetClassNameW(h, cls, 64) &&
                lstrcmpW(cls, kFormClassName) == 0 && GetWindowTextW(h, text, 64) &&
                s.caption == text)
                s.found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool showRunningCopy() {
    // A copy started a moment ago may not have made its window yet.
    for (int attempt = 0; attempt < 30; ++attempt) {
        const std::vector<HWND> found = windowsOfOtherCopies();
        for (HWND h : found) {
            if (!IsWindowVisible(h))
                continue;
            if (IsIconic(h))
                ShowWindow(h, SW_RESTORE);
            SetForegroundWindow(h);
            return true;
        }
        if (!found.empty()) {
            // Every window hidden: the copy waits in the tray. A click on its icon is what
            // brings it back; that copy then puts its window in front itself.
            DWORD process = 0;
            GetWindowThreadProcessId(found.front(), &process);
            AllowSetForegroundWindow(process);
            for (HWND h : found)
                PostMessageW(h, kTrayCallbackMessage, 0, WM_LBUTTONUP);
            return true;
        }
        Sleep(100);
    }
    return false;
}

}  // namespace sonorin::win32
