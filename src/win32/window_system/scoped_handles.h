// Owners of the window system's handles: each is released exactly once, by whoever owns it
// last. A handle the system destroys by itself (a window's menu bar goes with its window) is
// handed over with release().
#pragma once

#include <windows.h>

#include <utility>

namespace sonorin::win32 {

template <typename Handle, BOOL(WINAPI* Close)(Handle)>
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        if (Handle old = std::exchange(handle_, handle))
            Close(old);  // nothing to do when the system refuses: the handle is gone either way
    }

  private:
    Handle handle_ = nullptr;
};

using ScopedWindow = ScopedHandle<HWND, DestroyWindow>;
using ScopedMenu = ScopedHandle<HMENU, DestroyMenu>;

}  // namespace sonorin::win32
