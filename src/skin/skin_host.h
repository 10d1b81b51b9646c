// What the skin engine needs of the window system and of GDI: window classes, properties,
// procedures, timers, regions, and memory surfaces whose pixels it can write directly.
// Handles are pointer-sized: a saved window procedure or a surface must never be cut to 32 bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonorin {

using Hwnd = std::uintptr_t;     // a native window; 0 for none
using Surface = std::uintptr_t;  // a drawing surface (a device context); 0 for none
using Bitmap = std::uintptr_t;   // a bitmap that can be selected into a memory surface
using Rgb = std::uint32_t;       // 0x00RRGGBB

// The pixels of a memory surface: rows top-down, `width` pixels each, 0x00RRGGBB.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    explicit operator bool() const { return pixels && width > 0 && height > 0; }
    std::uint32_t& at(int x, int y) const { return pixels[y * width + x]; }
};

struct ScreenBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// The engine's one window procedure, which every attached window reaches.
class SkinDispatcher {
  public:
    virtual ~SkinDispatcher() = default;
    virtual std::intptr_t SkinWindowProc(Hwnd h, unsigned message, std::uintptr_t wParam,
                                         std::intptr_t lParam) = 0;
};

class SkinHost {
  public:
    virtual ~SkinHost() = default;

    // Where the windows that subclass() gave the engine's procedure send their messages;
    // nullptr when the engine is gone (the windows then get their saved procedures).
    virtual void bind(SkinDispatcher* engine) = 0;

    // --- windows
    virtual std::string className(Hwnd h) = 0;  // at most 255 characters, case as registered
    virtual std::string windowText(Hwnd h) = 0;
    virtual std::intptr_t getProp(Hwnd h, const char* name) = 0;  // 0 when absent
    virtual void setProp(Hwnd h, const char* name, std::intptr_t value) = 0;
    virtual void removeProp(Hwnd h, const char* name) = 0;
    // Installs the engine's window procedure and returns the one it replaced.
    virtual std::intptr_t subclass(Hwnd h) = 0;
    virtual void restoreProcedure(Hwnd h, std::intptr_t procedure) = 0;
    virtual std::intptr_t callProcedure(std::intptr_t procedure, Hwnd h, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual std::intptr_t defaultProcedure(Hwnd h, unsigned message, std::uintptr_t wParam,
                                           std::intptr_t lParam) = 0;
    virtual std::intptr_t send(Hwnd h, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
    virtual std::vector<Hwnd> descendants(Hwnd h) = 0;  // children, grandchildren, ...
    virtual Hwnd parentOrOwner(Hwnd h) = 0;
    virtual std::uint32_t style(Hwnd h) = 0;
    virtual std::uint32_t exStyle(Hwnd h) = 0;
    virtual void setStyle(Hwnd h, std::uint32_t style) = 0;
    virtual bool isEnabled(Hwnd h) = 0;
    // On screen: the window and every window it lies in are visible.
    virtual bool isShown(Hwnd h) = 0;
    virtual Hwnd focus() = 0;
    virtual Hwnd windowUnderCursor() = 0;
    virtual std::uintptr_t setTimer(Hwnd h, std::uintptr_t id, unsigned milliseconds) = 0;
    virtual void killTimer(Hwnd h, std::uintptr_t id) = 0;
    // Whether `library` exports `function` (the library is loaded for the look-up if needed).
    virtual bool apiAvailable(const char* function, const char* library) = 0;
    // One leave notification, through the user-interface library or the common controls.
    virtual void trackLeave(Hwnd h, bool userLibrary) = 0;
    virtual void setRoundRegion(Hwnd h, int right, int bottom, int corner) = 0;
    virtual void removeRegion(Hwnd h) = 0;
    virtual void invalidate(Hwnd h) = 0;  // the whole window, with an internal paint
    virtual ScreenBox windowBox(Hwnd h) = 0;
    virtual ScreenBox clientBox(Hwnd h) = 0;  // left and top 0
    virtual int systemMetric(int index) = 0;
    // The dots per inch the window is drawn at; the skin's own images are made for 96.
    virtual int dpi(Hwnd h) {
        (void)h;
        return 96;
    }
    // The background colour a fresh surface of the window's client area draws text on.
    virtual Rgb clientBackground(Hwnd h) = 0;
    // Rectangle (header coordinates) and text of one item of a list header; false if none.
    virtual bool headerItem(Hwnd h, int index, ScreenBox& rect, std::string& text) = 0;

    // --- drawing
    virtual Surface createSurface() = 0;  // a memory surface compatible with the display
    virtual Bitmap createBitmap(int width, int height) = 0;
    virtual Bitmap selectBitmap(Surface s, Bitmap b) = 0;  // returns the one it replaced
    virtual void deleteSurface(Surface s) = 0;
    virtual void deleteBitmap(Bitmap b) = 0;
    // The pixels of the bitmap selected into a memory surface; empty for other surfaces.
    virtual PixelView pixels(Surface s) = 0;
    // Text in the window's font, with the text-drawing format flags, transparent background.
    virtual void drawCaption(Surface s, Hwnd fontOf, const std::string& text, int x, int y, int w,
                             int h, unsigned flags, Rgb colour) = 0;
    virtual void drawFocusBox(Surface s, int x, int y, int w, int h) = 0;
    virtual Surface beginPaint(Hwnd h) = 0;
    virtual void endPaint(Hwnd h, Surface s) = 0;
    virtual Surface windowSurface(Hwnd h) = 0;  // the whole window, frame included
    virtual void releaseWindowSurface(Hwnd h, Surface s) = 0;
    // A plain copy of w x h from (sx, sy) of `source` to (dx, dy) of `target`, between any two
    // surfaces (memory, paint or whole-window); what lies outside either is skipped.
    virtual void copySurface(Surface target, int dx, int dy, int w, int h, Surface source, int sx,
                             int sy) = 0;
    // Blends w x h of `source` onto `target` at (0, 0) with one constant opacity 0..255.
    virtual void alphaBlend(Surface target, Surface source, int w, int h, int opacity) = 0;
};

}  // namespace sonorin
