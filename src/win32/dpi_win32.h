// Dots per inch of the screens the windows live on. The program declares per-monitor
// awareness, so each window is laid out with the DPI of its own monitor and lays itself out
// again when it moves to a monitor with another one. The per-window calls exist from
// Windows 10 (1607) on; older systems fall back to the one system DPI.
#pragma once

#include <windows.h>

#include <map>

namespace sonorin::win32 {

constexpr int kDefaultDpi = 96;

// The DPI of the primary screen for this process.
int systemDpi();
// The DPI of the primary monitor now. It differs from the system DPI after the user changed
// the scale without signing out again.
int primaryMonitorDpi();
// The DPI a window is drawn at (its monitor's, for a per-monitor aware program).
int windowDpi(HWND hwnd);

int pixelsAt(double twips, int dpi);
double twipsAt(int pixels, int dpi);

// The width of a vertical scroll bar at the given DPI.
int scrollBarWidth(int dpi);

// AdjustWindowRectEx with the frame metrics of the given DPI.
void adjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi);

// The controls' font (9 point), one per DPI in use, kept until the window system goes.
class DpiFonts {
  public:
    DpiFonts() = default;
    DpiFonts(const DpiFonts&) = delete;
    DpiFonts& operator=(const DpiFonts&) = delete;
    ~DpiFonts();
    HFONT at(int dpi);

  private:
    std::map<int, HFONT> fonts_;
};

}  // namespace sonorin::win32
