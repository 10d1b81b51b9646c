// The skin on real controls under Wine: option buttons, combo boxes, a progress bar, a list
// header and a text box's flat border, read back pixel by pixel from their window surfaces.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "skin/MSkinner.h"
#include "skin/pixels.h"
#include "skin/skin_images.h"
#include "win32/control_classes_win32.h"
#include "win32/pump.h"
#include "win32/skin_host_win32.h"

namespace sonorin::win32 {
namespace {

constexpr std::uint32_t kBorder = 0x54A5D5, kWhite = 0xFFFFFF, kBar = 0x4CD6F6, kKey = 0xFF00FF;

std::uint32_t shownAt(HWND h, int x, int y) {
    HDC dc = GetWindowDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

class SkinControlsWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        SetCursorPos(0, 0);  // off the form: no pointer of an earlier test hovers a control
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        registerControlClasses(instance);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!GetClassInfoExW(instance, L"Form", &wc)) {
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = instance;
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = L"Form";
            RegisterClassExW(&wc);
        }
        form = CreateWindowExW(0, L"Form", L"skin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 460,
                               360, nullptr, nullptr, instance, nullptr);
        ASSERT_TRUE(form);
    }
    void TearDown() override {
        DestroyWindow(form);
        testing::pumpPending();
    }
    HWND add(const wchar_t* cls, DWORD style, int x, int y, int w, int h, DWORD ex = 0,
             const wchar_t* text = L"") {
        return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, form,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    void skinAndPaint() {
        ASSERT_EQ(engine.SkinForm(reinterpret_cast<Hwnd>(form)), 1);
        RedrawWindow(form, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        testing::pumpPending();
    }
    // Compares the w x h area at (x, y) of a window with an image, skipping key pixels.
    void expectArea(HWND h, int x, int y, const skin::PixelImage& want, const char* what) {
        int wrong = 0;
        for (int j = 0; j < want.height(); ++j)
            for (int i = 0; i < want.width(); ++i) {
                if (want.at(i, j) == kKey)
                    continue;
                const std::uint32_t got = shownAt(h, x + i, y + j);
                if (got != want.at(i, j) && ++wrong <= 3)
                    ADD_FAILURE() << what << " at " << x + i << "," << y + j << ": " << std::hex
                                  << got << " instead of " << want.at(i, j);
            }
        EXPECT_EQ(wrong, 0) << what;
    }
    static int height(HWND h) {
        RECT r;
        GetWindowRect(h, &r);
        return r.bottom - r.top;
    }

    Win32SkinHost host;
    MSkinner engine{host};
    HWND form = nullptr;
    skin::PixelImage round = skin::makeSkinImage(skin::SkinImage::RoundFaces);
    skin::PixelImage glyphs = skin::makeSkinImage(skin::SkinImage::Glyphs);
    skin::PixelImage parts = skin::makeSkinImage(skin::SkinImage::ComboParts);
    skin::PixelImage headerFaces = skin::makeSkinImage(skin::SkinImage::HeaderFaces);
};

TEST_F(SkinControlsWin32Test, OptionButtonsShowTheDiscOfTheirStateAndTheDot) {
    HWND on = add(L"ThunderRT6OptionButton", BS_RADIOBUTTON, 10, 10, 140, 20, 0, L"44100");
    HWND off = add(L"ThunderRT6OptionButton", BS_RADIOBUTTON, 10, 40, 140, 20, 0, L"22050");
    SendMessageW(on, BM_SETCHECK, BST_CHECKED, 0);
    skinAndPaint();
    const int cx = GetSystemMetrics(SM_CXMENUCHECK), cy = GetSystemMetrics(SM_CYMENUCHECK);
    const int top = skin::centreOffset(20, cy);
    auto disc = [&](int row, bool dot) {
        skin::PixelImage want(cx, cy);
        skin::DrawNineGrid(want.view(), 0, 0, cx, cy, round.view(), 0, row, 13, 13, 5, 5, 5, 5);
        if (dot)
            skin::DrawTransparent(want.view(), skin::centreOffset(cx, 5), skin::centreOffset(cy, 5),
                                  5, 5, glyphs.view(), 2, 18, kKey);
        return want;
    };
    expectArea(on, 0, top, disc(0, true), "checked, normal");
    expectArea(off, 0, top, disc(0, false), "cleared, normal");
    SendMessageW(off, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    expectArea(off, 0, top, disc(13, false), "hover");
    SendMessageW(off, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    expectArea(off, 0, top, disc(26, false), "pressed");
}

TEST_F(SkinControlsWin32Test, ComboBoxFrameAndDropButtonFaces) {
    HWND combo =
        add(L"ThunderRT6ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 10, 10, 150, 200, 0, L"");
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"美国之音"));
    skinAndPaint();
    const int w = 150, h = height(combo), bw = GetSystemMetrics(SM_CXVSCROLL) + 1;
    EXPECT_EQ(shownAt(combo, 0, h / 2), kBorder);
    EXPECT_EQ(shownAt(combo, 1, h / 2), kWhite);
    auto button = [&](int state) {
        skin::PixelImage want(bw, h - 2);
        if (state == 0)
            skin::FillBox(want.view(), 0, 0, bw, h - 2, kWhite);
        else
            skin::DrawNineGrid(want.view(), 0, 0, bw, h - 2, parts.view(), state == 1 ? 0 : 4, 0, 4,
                               18, 2, 1, 1, 1);
        skin::DrawTransparent(want.view(), skin::centreOffset(bw, 7), skin::centreOffset(h, 6), 7,
                              4, parts.view(), 8, 0, kKey);
        return want;
    };
    expectArea(combo, w - bw - 1, 1, button(0), "normal button");
    SendMessageW(combo, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
    expectArea(combo, w - bw - 1, 1, button(1), "hover button");
    SendMessageW(combo, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 5));
    expectArea(combo, w - bw - 1, 1, button(2), "pressed button");
}

TEST_F(SkinControlsWin32Test, ProgressBarTroughAndBarInsideTheFrame) {
    HWND bar = add(L"ProgressBar20WndClass", WS_BORDER, 10, 10, 202, 16);
    SendMessageW(bar, PBM_SETRANGE32, 0, 30000);
    SendMessageW(bar, PBM_SETPOS, 11100, 0);  // 37 %
    skinAndPaint();
    EXPECT_EQ(shownAt(bar, 0, 8), kBorder);
    EXPECT_EQ(shownAt(bar, 201, 8), kBorder);
    for (int x = 0; x < 200; x += 7)
        EXPECT_EQ(shownAt(bar, 1 + x, 8), x < 74 ? kBar : kWhite) << x;
}

TEST_F(SkinControlsWin32Test, ListHeaderItemsNormalHotAndPressed) {
    HWND list = add(WC_LISTVIEWW, LVS_REPORT, 10, 10, 300, 150, WS_EX_CLIENTEDGE);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 120;
        column.pszText = const_cast<wchar_t*>(i ? L"结束" : L"开始");
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_TRUE(header);
    skinAndPaint();
    EXPECT_EQ(shownAt(list, 0, 75), kBorder) << "the list's sunken edge is a flat frame";
    const int h = height(header);
    // Column 3 of an item is its face's stretched middle, clear of the centred text.
    auto expectFace = [&](int item, int face, const char* what) {
        skin::PixelImage want(3, h);
        skin::DrawNineGrid(want.view(), 0, 0, 3, h, headerFaces.view(), 3 * face, 0, 3, 20, 1, 1, 1,
                           1);
        skin::PixelImage column(1, h);
        for (int y = 0; y < h; ++y)
            column.set(0, y, want.at(1, y));
        expectArea(header, 120 * item + 3, 0, column, what);
    };
    expectFace(0, 0, "item 0 normal");
    expectFace(1, 0, "item 1 normal");
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(150, 5));
    EXPECT_EQ(GetPropW(header, L"HMINDEX"), reinterpret_cast<HANDLE>(1));
    expectFace(1, 1, "item 1 hot");
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 5));
    expectFace(1, 2, "item 1 pressed");
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(150, 5));
    EXPECT_EQ(GetPropW(header, L"HDINDEX"), reinterpret_cast<HANDLE>(-1));
}

TEST_F(SkinControlsWin32Test, TextBoxSunkenEdgeBecomesAFlatFrame) {
    HWND text = add(L"EDIT", ES_AUTOHSCROLL, 10, 10, 120, 24, WS_EX_CLIENTEDGE, L"0");
    skinAndPaint();
    SendMessageW(text, WM_NCPAINT, 1, 0);
    EXPECT_EQ(shownAt(text, 0, 12), kBorder);
    EXPECT_EQ(shownAt(text, 60, 23), kBorder);
    EXPECT_EQ(shownAt(text, 1, 12), kWhite) << "the band, not the edge's dark line";
    EXPECT_EQ(shownAt(text, 118, 12), kWhite) << "the band, not the edge's light line";
    EnableWindow(text, FALSE);
    SendMessageW(text, WM_NCPAINT, 1, 0);
    EXPECT_EQ(shownAt(text, 0, 12), 0xA4CFE9u);
}

}  // namespace
}  // namespace sonorin::win32
