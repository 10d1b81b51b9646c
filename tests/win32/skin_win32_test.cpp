// The skin engine on real windows under Wine: the pixels a skinned button shows in each state,
// a message box opened by a skinned window, and no drawing objects left behind by many forms.
#include "win32/skin_host_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "skin/MSkinner.h"
#include "skin/pixels.h"
#include "skin/skin_images.h"
#include "win32/pump.h"

namespace sonorin::win32 {
namespace {

constexpr wchar_t kTestFormClass[] = L"Form";
constexpr int kW = 100, kH = 50;

void registerTestForm() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kTestFormClass, &wc))
        return;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kTestFormClass;
    RegisterClassExW(&wc);
}

Hwnd handle(HWND h) {
    return reinterpret_cast<Hwnd>(h);
}

// A counting host: every surface and bitmap handed out must be really gone once released.
class CountingHost : public Win32SkinHost {
  public:
    Surface createSurface() override { return keep(surfaces, Win32SkinHost::createSurface()); }
    Bitmap createBitmap(int w, int h) override {
        return keep(bitmaps, Win32SkinHost::createBitmap(w, h));
    }
    void deleteSurface(Surface s) override {
        Win32SkinHost::deleteSurface(s);
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(s)) == 0)
            surfaces.erase(s);
    }
    void deleteBitmap(Bitmap b) override {
        Win32SkinHost::deleteBitmap(b);
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(b)) == 0)
            bitmaps.erase(b);
    }
    std::set<std::uintptr_t> surfaces, bitmaps;

  private:
    static std::uintptr_t keep(std::set<std::uintptr_t>& into, std::uintptr_t h) {
        if (h)
            into.insert(h);
        return h;
    }
};

class SkinWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        registerTestForm();
        form = CreateWindowExW(0, kTestFormClass, L"skin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                               320, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(form);
        button = addButton(L"", 10, 10);
        testing::pumpPending();
    }
    void TearDown() override {
        if (IsWindow(form))
            DestroyWindow(form);
        testing::pumpPending();
    }
    HWND addButton(const wchar_t* caption, int x, int y, DWORD style = BS_PUSHBUTTON) {
        return CreateWindowExW(0, L"Button", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x,
                               y, kW, kH, form, nullptr, GetModuleHandleW(nullptr), nullptr);
    }

    // The pixels the button shows on the screen, read back through its window surface.
    skin::PixelImage shown(HWND h) {
        skin::PixelImage out(kW, kH);
        HDC window = GetWindowDC(h);
        HDC memory = CreateCompatibleDC(window);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, kW, kH, window, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                out.set(x, y, p[y * kW + x]);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(h, window);
        return out;
    }
    static skin::PixelImage face(int n) {
        skin::PixelImage faces = skin::makeSkinImage(skin::SkinImage::ButtonFaces);
        skin::PixelImage out(kW, kH);
        skin::DrawNineGrid(out.view(), 0, 0, kW, kH, faces.view(), 0, 21 * n, 7, 21, 3, 3, 3, 3);
        return out;
    }
    // Compares all but the rounded-off corners and, when asked, the focus rectangle's line.
    void expectFace(HWND h, int n, bool skipFocusBox = false) {
        skin::PixelImage got = shown(h), want = face(n);
        int wrong = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const bool corner = (x < 2 || x >= kW - 2) && (y < 2 || y >= kH - 2);
                const bool focusLine = (x == 2 || x == kW - 3) && y >= 2 && y <= kH - 3;
                const bool focusRow = (y == 2 || y == kH - 3) && x >= 2 && x <= kW - 3;
                if (corner || (skipFocusBox && (focusLine || focusRow)))
                    continue;
                if (got.at(x, y) != want.at(x, y) && ++wrong <= 3)
                    ADD_FAILURE() << "face " << n << " at " << x << "," << y << ": " << std::hex
                                  << got.at(x, y) << " instead of " << want.at(x, y);
            }
        }
        EXPECT_EQ(wrong, 0) << "face " << n;
    }
    // Pixels that differ, the rounded-off corners left out.
    static int differing(const skin::PixelImage& a, const skin::PixelImage& b) {
        int count = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (!((x < 2 || x >= kW - 2) && (y < 2 || y >= kH - 2)) && a.at(x, y) != b.at(x, y))
                    ++count;
        return count;
    }
    void repaint(HWND h) {
        RedrawWindow(h, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    Win32SkinHost host;
    MSkinner engine{host};
    HWND form = nullptr;
    HWND button = nullptr;
};

TEST_F(SkinWin32Test, AButtonShowsTheFaceOfEachState) {
    const LONG_PTR original = GetWindowLongPtrW(button, GWLP_WNDPROC);
    ASSERT_EQ(engine.SkinForm(handle(form)), 1);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_NE(GetWindowLongPtrW(button, GWLP_WNDPROC), original);
    // The saved procedure is kept whole: a 64-bit pointer.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropW(button, L"PROCADDR")), original);
    repaint(form);
    expectFace(button, 0);

    // The pointer comes over the button: the hover face (full once painted).
    RECT r;
    GetWindowRect(button, &r);
    SetCursorPos(r.left + kW / 2, r.top + kH / 2);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(kW / 2, kH / 2));
    EXPECT_EQ(GetPropW(button, L"OLDSTATE"), reinterpret_cast<HANDLE>(1));
    repaint(button);
    expectFace(button, 1);

    // Pressed shows at once, without a paint; the button now has the focus and its box.
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kW / 2, kH / 2));
    expectFace(button, 2, true);
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(kW / 2, kH / 2));

    EnableWindow(button, FALSE);
    repaint(button);
    expectFace(button, 3);
    EXPECT_EQ(GetPropW(button, L"OLDSTATE"), reinterpret_cast<HANDLE>(3));

    // Detached, the button is rectangular and draws itself again.
    EXPECT_EQ(engine.UnskinForm(handle(form)), 1);
    EXPECT_EQ(GetPropW(button, L"PROCADDR"), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), original);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(button, region), ERROR);
    DeleteObject(region);
    EXPECT_FALSE(IsWindowEnabled(button));
}

// A caption, font or enabled change shows at once, before any paint, exactly as a button
// skinned with them from the start shows; and no later paint brings the old face back.
TEST_F(SkinWin32Test, CaptionFontAndEnabledChangesShowAtOnce) {
    HWND changing = addButton(L"启动", 10, 70);
    HWND reference = addButton(L"取消", 120, 70);
    HFONT big = CreateFontW(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SendMessageW(reference, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
    EnableWindow(reference, FALSE);
    ASSERT_EQ(engine.SkinForm(handle(form)), 1);
    repaint(form);
    const skin::PixelImage before = shown(changing);

    SetWindowTextW(changing, L"取消");
    SendMessageW(changing, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
    EnableWindow(changing, FALSE);
    const skin::PixelImage atOnce = shown(changing);
    testing::pumpPending();
    const skin::PixelImage later = shown(changing);
    const skin::PixelImage wanted = shown(reference);
    EXPECT_GT(differing(atOnce, before), 0);
    EXPECT_EQ(differing(atOnce, wanted), 0);
    EXPECT_EQ(differing(later, wanted), 0);
    DestroyWindow(form);
    DeleteObject(big);
}

TEST_F(SkinWin32Test, AMessageBoxOfASkinnedWindowGetsSkinnedButtons) {
    ASSERT_EQ(engine.SkinForm(handle(form)), 1);
    const int before = engine.SkinnedCount();
    struct Seen {
        MSkinner* engine;
        HWND form;
        bool found = false, skinnedBox = false, skinnedButton = false, ownerDrawn = false;
        int count = 0;
    } seen{&engine, form};
    static Seen* current = nullptr;
    current = &seen;
    // While the box's own loop runs, a timer looks at it and then answers it.
    UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
        Seen& s = *current;
        HWND box = sonorin::testing::shownDialogBox();
        if (!box || s.found)
            return;
        s.found = true;
        s.skinnedBox = GetPropW(box, L"PROCADDR") != nullptr;
        HWND ok = GetDlgItem(box, IDOK);
        s.skinnedButton = ok && GetPropW(ok, L"OLDSTYLE") != nullptr;
        s.ownerDrawn = ok && (GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
        s.count = s.engine->SkinnedCount();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(form, L"皮肤", L"星澜网络收音机", MB_OK);
    KillTimer(nullptr, timer);
    current = nullptr;
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.skinnedBox);
    EXPECT_TRUE(seen.skinnedButton);
    EXPECT_TRUE(seen.ownerDrawn);
    EXPECT_GT(seen.count, before);
    testing::pumpPending();
    // The box and its controls detached themselves as they were destroyed.
    EXPECT_EQ(engine.SkinnedCount(), before);
}

TEST_F(SkinWin32Test, ManyFormsLeaveNoDrawingObjectsBehind) {
    DestroyWindow(form);
    CountingHost counting;
    MSkinner counted{counting};
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int cycle = 0; cycle < 200; ++cycle) {
        SetUp();
        addButton(L"录音", 10, 70);
        addButton(L"&Save", 120, 70, BS_DEFPUSHBUTTON);
        ASSERT_EQ(counted.SkinForm(handle(form)), 1);
        SetWindowPos(button, nullptr, 0, 0, 60, 30, SWP_NOMOVE | SWP_NOZORDER);  // new faces
        SendMessageW(button, WM_MOUSEMOVE, 0, 0);
        testing::pumpPending();
        // Half the forms are unskinned first; the others go with the skin still on.
        if (cycle % 2)
            counted.UnskinForm(handle(form));
        DestroyWindow(form);
        testing::pumpPending();
        ASSERT_EQ(counted.SkinnedCount(), 0) << cycle;
        ASSERT_TRUE(counting.surfaces.empty()) << cycle;
        ASSERT_TRUE(counting.bitmaps.empty()) << cycle;
    }
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    // Wine does not count GDI objects (it reports 0); Windows does.
    if (before != 0) {
        EXPECT_LE(after, before + 10);
    }
}

}  // namespace
}  // namespace sonorin::win32
