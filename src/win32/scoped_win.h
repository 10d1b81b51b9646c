// Owners for the window system's handles: a drawing object, a window's device context, a
// window and a menu, each given back when its owner goes. Not copyable; movable.
#pragma once

#include <windows.h>

#include <utility>

namespace sonorin::win32 {

// A pen, brush, font, bitmap or region made by the caller (CreateFontW, CreateSolidBrush…).
// It must not be selected into a device context when its owner goes.
template <class Handle = HGDIOBJ>
class ScopedGdiObject {
  public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(Handle handle) : handle_(handle) {}
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : handle_(other.release()) {}
    ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~ScopedGdiObject() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        if (const Handle old = std::exchange(handle_, handle); old != nullptr && old != handle) {
            DeleteObject(old);
        }
    }

  private:
    Handle handle_ = nullptr;
};

using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;

// The device context of a window's client area (GetDC), or of the screen for a null window;
// given back with ReleaseDC.
class ScopedHdc {
  public:
    explicit ScopedHdc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ScopedHdc(const ScopedHdc&) = delete;
    ScopedHdc& operator=(const ScopedHdc&) = delete;
    ~ScopedHdc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// A window the owner made and destroys. A window that goes before its owner (with its parent)
// is let go with release() from its WM_DESTROY, so the owner does not destroy it twice.
// reset() clears the handle before it destroys the window, so a release() from the window's
// own WM_DESTROY during the reset is harmless.
class ScopedWindow {
  public:
    ScopedWindow() = default;
    explicit ScopedWindow(HWND window) : window_(window) {}
    ScopedWindow(const ScopedWindow&) = delete;
    ScopedWindow& operator=(const ScopedWindow&) = delete;
    ScopedWindow(ScopedWindow&& other) noexcept : window_(other.release()) {}
    ScopedWindow& operator=(ScopedWindow&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~ScopedWindow() { reset(); }

    HWND get() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }
    HWND release() { return std::exchange(window_, nullptr); }
    void reset(HWND window = nullptr) {
        if (const HWND old = std::exchange(window_, window);
            old != nullptr && old != window && IsWindow(old)) {
            DestroyWindow(old);
        }
    }

  private:
    HWND window_ = nullptr;
};

// A menu the owner made (CreateMenu, CreatePopupMenu). A menu bar goes with the window it was
// set on: its owner lets go of it with release() once SetMenu has handed it over.
class ScopedMenu {
  public:
    ScopedMenu() = default;
    explicit ScopedMenu(HMENU menu) : menu_(menu) {}
    ScopedMenu(const ScopedMenu&) = delete;
    ScopedMenu& operator=(const ScopedMenu&) = delete;
    ScopedMenu(ScopedMenu&& other) noexcept : menu_(other.release()) {}
    ScopedMenu& operator=(ScopedMenu&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~ScopedMenu() { reset(); }

    HMENU get() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }
    HMENU release() { return std::exchange(menu_, nullptr); }
    void reset(HMENU menu = nullptr) {
        if (const HMENU old = std::exchange(menu_, menu); old != nullptr && old != menu)
            DestroyMenu(old);  // nothing to do when the system refuses: the menu is gone
    }

  private:
    HMENU menu_ = nullptr;
};

}  // namespace sonorin::win32
