// The owners of window-system handles: each gives its handle back exactly once, and a window
// that goes on its own (with its parent) is not destroyed a second time.
#include "win32/scoped_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

namespace sonorin::win32 {
namespace {

HWND makeWindow(HWND parent = nullptr) {
    return CreateWindowExW(0, L"STATIC", L"", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 10, 10,
                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(ScopedWin, AFontIsDeletedOnceByWhicheverOwnerHoldsItLast) {
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, L"SimSun");
    ASSERT_NE(font, nullptr);
    {
        ScopedFont first(font);
        ScopedFont second = std::move(first);
        EXPECT_FALSE(first);
        second.reset(second.get());  // the same object again: kept
        EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    }
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST(ScopedWin, AWindowIsDestroyedWithItsOwnerUnlessLetGo) {
    HWND kept = makeWindow();
    HWND destroyed = makeWindow();
    ASSERT_TRUE(kept && destroyed);
    {
        ScopedWindow letGo(kept);
        ScopedWindow owned(destroyed);
        EXPECT_EQ(letGo.release(), kept);
    }
    EXPECT_TRUE(IsWindow(kept));
    EXPECT_FALSE(IsWindow(destroyed));
    DestroyWindow(kept);
}

TEST(ScopedWin, AChildGoneWithItsParentIsNotDestroyedAgain) {
    ScopedWindow parent(makeWindow());
    ScopedWindow child(makeWindow(parent.get()));
    ASSERT_TRUE(parent && child);
    const HWND handle = child.get();
    parent.reset();
    EXPECT_FALSE(IsWindow(handle));
    child.reset();  // no second DestroyWindow on a dead (possibly reused) handle
    EXPECT_FALSE(child);
}

TEST(ScopedWin, TheDeviceContextOfAWindowIsGivenBack) {
    ScopedWindow window(makeWindow());
    ASSERT_TRUE(window);
    HDC dc = nullptr;
    {
        const ScopedHdc scoped(window.get());
        ASSERT_TRUE(scoped);
        dc = scoped.get();
        EXPECT_EQ(WindowFromDC(dc), window.get());
    }
    // A released common device context belongs to no window any more.
    EXPECT_NE(WindowFromDC(dc), window.get());
}

}  // namespace
}  // namespace sonorin::win32
