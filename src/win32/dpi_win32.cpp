#include "win32/dpi_win32.h"

#include <cmath>

namespace sonorin::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using MetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Fn>
Fn user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
}

}  // namespace

int systemDpi() {
    int dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

int primaryMonitorDpi() {
    // shcore.dll comes with Windows 8.1 and later.
    static const auto getDpiForMonitor = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getDpiForMonitor &&
        SUCCEEDED(getDpiForMonitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                                   kEffectiveDpi, &x, &y)) &&
        x > 0)
        return static_cast<int>(x);
    return systemDpi();
}

int windowDpi(HWND hwnd) {
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && hwnd) {
        if (UINT dpi = getDpiForWindow(hwnd))
            return static_cast<int>(dpi);
    }
    return systemDpi();
}

int pixelsAt(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

double twipsAt(int pixels, int dpi) {
    return pixels * 1440.0 / dpi;
}

int scrollBarWidth(int dpi) {
    static const auto metricsForDpi = user32Function<MetricsForDpiFn>("GetSystemMetricsForDpi");
    if (metricsForDpi)
        if (const int width = metricsForDpi(SM_CXVSCROLL, static_cast<UINT>(dpi)); width > 0)
            return width;
    // Before Windows 10 the system's metrics are those of the system DPI.
    return MulDiv(GetSystemMetrics(SM_CXVSCROLL), dpi, systemDpi());
}

void adjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi) {
    static const auto adjustForDpi = user32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (adjustForDpi && adjustForDpi(&rect, style, menu, exStyle, static_cast<UINT>(dpi)))
        return;
    AdjustWindowRectEx(&rect, style, menu, exStyle);
}

DpiFonts::~DpiFonts() {
    for (auto& [dpi, font] : fonts_)
        DeleteObject(font);
}

HFONT DpiFonts::at(int dpi) {
    auto it = fonts_.find(dpi);
    if (it != fonts_.end())
        return it->second;
    HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
    if (font)
        fonts_[dpi] = font;
    return font;
}

}  // namespace sonorin::win32
