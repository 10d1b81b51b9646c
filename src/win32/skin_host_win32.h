// The skin engine's window system on Win32: subclassing with SetWindowLongPtrW, properties
// with SetPropW, 32-bit top-down DIB sections as memory surfaces, AlphaBlend of msimg32.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "skin/skin_host.h"

namespace sonorin::win32 {

class Win32SkinHost : public SkinHost {
  public:
    Win32SkinHost();
    ~Win32SkinHost() override;
    Win32SkinHost(const Win32SkinHost&) = delete;
    Win32SkinHost& operator=(const Win32SkinHost&) = delete;

    void bind(SkinDispatcher* engine) override { engine_ = engine; }
    std::string className(Hwnd h) override;
    std::string windowText(Hwnd h) override;
    std::intptr_t getProp(Hwnd h, const char* name) override;
    void setProp(Hwnd h, const char* name, std::intptr_t value) override;
    void removeProp(Hwnd h, const char* name) override;
    std::intptr_t subclass(Hwnd h) override;
    void restoreProcedure(Hwnd h, std::intptr_t procedure) override;
    std::intptr_t callProcedure(std::intptr_t procedure, Hwnd h, unsigned message,
                                std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t defaultProcedure(Hwnd h, unsigned message, std::uintptr_t wParam,
                                   std::intptr_t lParam) override;
    std::intptr_t send(Hwnd h, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::vector<Hwnd> descendants(Hwnd h) override;
    Hwnd parentOrOwner(Hwnd h) override;
    std::uint32_t style(Hwnd h) override;
    std::uint32_t exStyle(Hwnd h) override;
    void setStyle(Hwnd h, std::uint32_t style) override;
    bool isEnabled(Hwnd h) override;
    bool isShown(Hwnd h) override;
    Hwnd focus() override;
    Hwnd windowUnderCursor() override;
    std::uintptr_t setTimer(Hwnd h, std::uintptr_t id, unsigned milliseconds) override;
    void killTimer(Hwnd h, std::uintptr_t id) override;
    bool apiAvailable(const char* function, const char* library) override;
    void trackLeave(Hwnd h, bool userLibrary) override;
    void setRoundRegion(Hwnd h, int right, int bottom, int corner) override;
    void removeRegion(Hwnd h) override;
    void invalidate(Hwnd h) override;
    ScreenBox windowBox(Hwnd h) override;
    ScreenBox clientBox(Hwnd h) override;
    int systemMetric(int index) override;
    int dpi(Hwnd h) override;
    Rgb clientBackground(Hwnd h) override;
    bool headerItem(Hwnd h, int index, ScreenBox& rect, std::string& text) override;

    Surface createSurface() override;
    Bitmap createBitmap(int width, int height) override;
    Bitmap selectBitmap(Surface s, Bitmap b) override;
    void deleteSurface(Surface s) override;
    void deleteBitmap(Bitmap b) override;
    PixelView pixels(Surface s) override;
    void drawCaption(Surface s, Hwnd fontOf, const std::string& text, int x, int y, int w, int h,
                     unsigned flags, Rgb colour) override;
    void drawFocusBox(Surface s, int x, int y, int w, int h) override;
    Surface beginPaint(Hwnd h) override;
    void endPaint(Hwnd h, Surface s) override;
    Surface windowSurface(Hwnd h) override;
    void releaseWindowSurface(Hwnd h, Surface s) override;
    void copySurface(Surface target, int dx, int dy, int w, int h, Surface source, int sx,
                     int sy) override;
    void alphaBlend(Surface target, Surface source, int w, int h, int opacity) override;

  private:
    static LRESULT CALLBACK skinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    SkinDispatcher* engine_ = nullptr;
    std::map<HWND, PAINTSTRUCT> paints_;
    std::set<HBITMAP> ownBitmaps_;  // top-down 32-bit sections whose pixels we may write
    // What the engine has stored on each window, kept beside the real window properties. The
    // engine reads them on nearly every message, and under Wine each GetPropW is a round trip
    // to the wineserver; only the engine writes these names, so this copy is always current.
    std::unordered_map<HWND, std::map<std::string, std::intptr_t, std::less<>>> props_;
};

}  // namespace sonorin::win32
