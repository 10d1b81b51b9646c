#include "win32/skin_host_win32.h"

#include <commctrl.h>

#include <string_view>

#include "win32/dpi_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

// A window procedure has no context of its own; the one skin host of the process is found here.
Win32SkinHost* theHost = nullptr;

HWND hwndOf(Hwnd h) {
    return reinterpret_cast<HWND>(h);
}
HDC dcOf(Surface s) {
    return reinterpret_cast<HDC>(s);
}
HBITMAP bitmapOf(Bitmap b) {
    return reinterpret_cast<HBITMAP>(b);
}

COLORREF colorRef(Rgb rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

Win32SkinHost::Win32SkinHost() {
    theHost = this;
}

Win32SkinHost::~Win32SkinHost() {
    if (theHost == this)
        theHost = nullptr;
}

LRESULT CALLBACK Win32SkinHost::skinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (theHost && theHost->engine_)
        return theHost->engine_->SkinWindowProc(reinterpret_cast<Hwnd>(hwnd), message, wParam,
                                                lParam);
    // The engine is gone while the window lives on: its own procedure carries on.
    auto saved = reinterpret_cast<WNDPROC>(GetPropW(hwnd, L"PROCADDR"));
    if (saved)
        return CallWindowProcW(saved, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::string Win32SkinHost::className(Hwnd h) {
    wchar_t name[256] = {};
    GetClassNameW(hwndOf(h), name, 255);
    return narrow(name);
}

std::string Win32SkinHost::windowText(Hwnd h) {
    const int length = GetWindowTextLengthW(hwndOf(h));
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwndOf(h), text.data(), length + 1)));
    return narrow(text);
}

std::intptr_t Win32SkinHost::getProp(Hwnd h, const char* name) {
    const auto window = props_.find(hwndOf(h));
    if (window == props_.end())
        return 0;
    const auto prop = window->second.find(std::string_view(name));
    return prop == window->second.end() ? 0 : prop->second;
}

void Win32SkinHost::setProp(Hwnd h, const char* name, std::intptr_t value) {
    if (!SetPropW(hwndOf(h), wide(name).c_str(), reinterpret_cast<HANDLE>(value)))
        return;  // no such window (any more): nothing was stored
    props_[hwndOf(h)].insert_or_assign(name, value);
}

void Win32SkinHost::removeProp(Hwnd h, const char* name) {
    RemovePropW(hwndOf(h), wide(name).c_str());
    const auto window = props_.find(hwndOf(h));
    if (window == props_.end())
        return;
    // Without its mark the window is detached, and a detached window keeps nothing of ours:
    // forgetting it all keeps a later window with a reused handle from looking attached.
    if (std::string_view(name) == "PROCADDR") {
        props_.erase(window);
        return;
    }
    if (const auto prop = window->second.find(std::string_view(name)); prop != window->second.end())
        window->second.erase(prop);
}

std::intptr_t Win32SkinHost::subclass(Hwnd h) {
    DWORD process = 0;
    if (!GetWindowThreadProcessId(hwndOf(h), &process) || process != GetCurrentProcessId())
        return 0;
    SetLastError(0);
    const LONG_PTR previous =
        SetWindowLongPtrW(hwndOf(h), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&skinProc));
    if (previous == 0 && GetLastError() != 0)
        return 0;
    return previous;
}

void Win32SkinHost::restoreProcedure(Hwnd h, std::intptr_t procedure) {
    SetWindowLongPtrW(hwndOf(h), GWLP_WNDPROC, procedure);
}

std::intptr_t Win32SkinHost::callProcedure(std::intptr_t procedure, Hwnd h, unsigned message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
    return CallWindowProcW(reinterpret_cast<WNDPROC>(procedure), hwndOf(h), message, wParam,
                           lParam);
}

std::intptr_t Win32SkinHost::defaultProcedure(Hwnd h, unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
    return DefWindowProcW(hwndOf(h), message, wParam, lParam);
}

std::intptr_t Win32SkinHost::send(Hwnd h, unsigned message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    return SendMessageW(hwndOf(h), message, wParam, lParam);
}

std::vector<Hwnd> Win32SkinHost::descendants(Hwnd h) {
    std::vector<Hwnd> found;
    EnumChildWindows(
        hwndOf(h),
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<Hwnd>*>(list)->push_back(reinterpret_cast<Hwnd>(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

Hwnd Win32SkinHost::parentOrOwner(Hwnd h) {
    return reinterpret_cast<Hwnd>(GetParent(hwndOf(h)));
}

std::uint32_t Win32SkinHost::style(Hwnd h) {
    return static_cast<std::uint32_t>(GetWindowLongPtrW(hwndOf(h), GWL_STYLE));
}

std::uint32_t Win32SkinHost::exStyle(Hwnd h) {
    return static_cast<std::uint32_t>(GetWindowLongPtrW(hwndOf(h), GWL_EXSTYLE));
}

void Win32SkinHost::setStyle(Hwnd h, std::uint32_t style) {
    SetWindowLongPtrW(hwndOf(h), GWL_STYLE, static_cast<LONG_PTR>(style));
}

bool Win32SkinHost::isEnabled(Hwnd h) {
    return IsWindowEnabled(hwndOf(h)) != FALSE;
}

bool Win32SkinHost::isShown(Hwnd h) {
    return IsWindowVisible(hwndOf(h)) != FALSE;
}

Hwnd Win32SkinHost::focus() {
    return reinterpret_cast<Hwnd>(GetFocus());
}

Hwnd Win32SkinHost::windowUnderCursor() {
    POINT p;
    if (!GetCursorPos(&p))
        return 0;
    return reinterpret_cast<Hwnd>(WindowFromPoint(p));
}

std::uintptr_t Win32SkinHost::setTimer(Hwnd h, std::uintptr_t id, unsigned milliseconds) {
    return SetTimer(hwndOf(h), id, milliseconds, nullptr);
}

void Win32SkinHost::killTimer(Hwnd h, std::uintptr_t id) {
    KillTimer(hwndOf(h), id);
}

bool Win32SkinHost::apiAvailable(const char* function, const char* library) {
    HMODULE module = GetModuleHandleA(library);
    bool loaded = false;
    if (!module) {
        module = LoadLibraryA(library);
        loaded = module != nullptr;
    }
    if (!module)
        return false;
    const bool found = GetProcAddress(module, function) != nullptr;
    if (loaded)
        FreeLibrary(module);
    return found;
}

void Win32SkinHost::trackLeave(Hwnd h, bool userLibrary) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwndOf(h);
    track.dwHoverTime = 0;
    if (userLibrary)
        TrackMouseEvent(&track);
    else
        _TrackMouseEvent(&track);
}

void Win32SkinHost::setRoundRegion(Hwnd h, int right, int bottom, int corner) {
    HRGN region = CreateRoundRectRgn(0, 0, right, bottom, corner, corner);
    // Once set, the region belongs to the window, which frees it with the next one or itself.
    // A window not on screen (a button made just before its window first shows) is drawn
    // whole when it appears: a redraw now would be thrown away.
    const HWND hwnd = hwndOf(h);
    if (region && !SetWindowRgn(hwnd, region, IsWindowVisible(hwnd)))
        DeleteObject(region);
}

void Win32SkinHost::removeRegion(Hwnd h) {
    SetWindowRgn(hwndOf(h), nullptr, TRUE);
}

void Win32SkinHost::invalidate(Hwnd h) {
    RedrawWindow(hwndOf(h), nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT);
}

ScreenBox Win32SkinHost::windowBox(Hwnd h) {
    RECT r{};
    GetWindowRect(hwndOf(h), &r);
    return {r.left, r.top, r.right, r.bottom};
}

ScreenBox Win32SkinHost::clientBox(Hwnd h) {
    RECT r{};
    GetClientRect(hwndOf(h), &r);
    return {r.left, r.top, r.right, r.bottom};
}

int Win32SkinHost::systemMetric(int index) {
    return GetSystemMetrics(index);
}

int Win32SkinHost::dpi(Hwnd h) {
    return windowDpi(hwndOf(h));
}

Rgb Win32SkinHost::clientBackground(Hwnd h) {
    HDC dc = GetDC(hwndOf(h));
    if (!dc)
        return 0xFFFFFF;
    const COLORREF c = GetBkColor(dc);
    ReleaseDC(hwndOf(h), dc);
    return (static_cast<Rgb>(GetRValue(c)) << 16) | (static_cast<Rgb>(GetGValue(c)) << 8) |
           GetBValue(c);
}

bool Win32SkinHost::headerItem(Hwnd h, int index, ScreenBox& rect, std::string& text) {
    RECT r{};
    if (index < 0 || !SendMessageW(hwndOf(h), HDM_GETITEMRECT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(&r)))
        return false;
    rect = {r.left, r.top, r.right, r.bottom};
    wchar_t buffer[256] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 255;
    SendMessageW(hwndOf(h), HDM_GETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    text = narrow(item.pszText ? item.pszText : buffer);
    return true;
}

Surface Win32SkinHost::createSurface() {
    return reinterpret_cast<Surface>(CreateCompatibleDC(nullptr));
}

Bitmap Win32SkinHost::createBitmap(int width, int height) {
    if (width <= 0 || height <= 0)
        return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return 0;
    ownBitmaps_.insert(bitmap);
    return reinterpret_cast<Bitmap>(bitmap);
}

Bitmap Win32SkinHost::selectBitmap(Surface s, Bitmap b) {
    return reinterpret_cast<Bitmap>(SelectObject(dcOf(s), bitmapOf(b)));
}

void Win32SkinHost::deleteSurface(Surface s) {
    DeleteDC(dcOf(s));
}

void Win32SkinHost::deleteBitmap(Bitmap b) {
    if (DeleteObject(bitmapOf(b)))
        ownBitmaps_.erase(bitmapOf(b));
}

PixelView Win32SkinHost::pixels(Surface s) {
    if (!s || GetObjectType(dcOf(s)) != OBJ_MEMDC)
        return {};
    auto bitmap = static_cast<HBITMAP>(GetCurrentObject(dcOf(s), OBJ_BITMAP));
    if (!ownBitmaps_.count(bitmap))
        return {};
    DIBSECTION section{};
    if (GetObjectW(bitmap, sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits)
        return {};
    GdiFlush();  // text and frames drawn by GDI must be in the bits first
    return {static_cast<std::uint32_t*>(section.dsBm.bmBits), section.dsBm.bmWidth,
            section.dsBm.bmHeight};
}

void Win32SkinHost::drawCaption(Surface s, Hwnd fontOf, const std::string& text, int x, int y,
                                int w, int h, unsigned flags, Rgb colour) {
    HDC dc = dcOf(s);
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwndOf(fontOf), WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colorRef(colour));
    RECT r{x, y, x + w, y + h};
    std::wstring wideText = wide(text);
    DrawTextW(dc, wideText.c_str(), -1, &r, flags);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (oldFont)
        SelectObject(dc, oldFont);
}

void Win32SkinHost::drawFocusBox(Surface s, int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    DrawFocusRect(dcOf(s), &r);
}

Surface Win32SkinHost::beginPaint(Hwnd h) {
    PAINTSTRUCT& ps = paints_[hwndOf(h)];
    return reinterpret_cast<Surface>(BeginPaint(hwndOf(h), &ps));
}

void Win32SkinHost::endPaint(Hwnd h, Surface) {
    auto it = paints_.find(hwndOf(h));
    if (it == paints_.end())
        return;
    EndPaint(hwndOf(h), &it->second);
    paints_.erase(it);
}

Surface Win32SkinHost::windowSurface(Hwnd h) {
    return reinterpret_cast<Surface>(GetWindowDC(hwndOf(h)));
}

void Win32SkinHost::releaseWindowSurface(Hwnd h, Surface s) {
    ReleaseDC(hwndOf(h), dcOf(s));
}

void Win32SkinHost::copySurface(Surface target, int dx, int dy, int w, int h, Surface source,
                                int sx, int sy) {
    if (target && source && w > 0 && h > 0)
        BitBlt(dcOf(target), dx, dy, w, h, dcOf(source), sx, sy, SRCCOPY);
}

void Win32SkinHost::alphaBlend(Surface target, Surface source, int w, int h, int opacity) {
    if (opacity <= 0 || w <= 0 || h <= 0)
        return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(opacity > 255 ? 255 : opacity), 0};
    AlphaBlend(dcOf(target), 0, 0, w, h, dcOf(source), 0, 0, w, h, blend);
}

}  // namespace sonorin::win32
