// The floor for start-up and footprint: one plain top-level window and a message loop, built
// with the program's own compiler and link flags. scripts/bench measures sonorin.exe against
// it. The caption is the program's, so both are found the same way.
#include "reference_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    HWND hwnd = reference::createWindow(instance, L"SonorinBenchBare", 320, 350, nullptr);
    return hwnd ? reference::showAndRun(hwnd, show) : 1;
}
