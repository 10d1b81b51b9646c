// Check boxes, option buttons, combo boxes, lists, flat borders, progress bars and list
// headers: what each state paints where, through the in-memory window system.
#include <gtest/gtest.h>

#include "fakes/fake_skin_host.h"
#include "skin/MSkinner.h"
#include "skin/pixels.h"
#include "skin/skin_images.h"
#include "skin/skin_messages.h"

namespace sonorin {
namespace {

using namespace skin::msg;
using skin::PixelImage;
using skin::SkinImage;

constexpr Rgb kBorder = 0x54A5D5, kBorderOff = 0xA4CFE9, kPressedBorder = 0x3986C4;
constexpr Rgb kBar = 0x4CD6F6, kWhite = 0xFFFFFF, kKey = 0xFF00FF;

std::intptr_t at(int x, int y) {
    return (static_cast<std::intptr_t>(y & 0xFFFF) << 16) | (x & 0xFFFF);
}

class Controls : public ::testing::Test {
  protected:
    Controls() { form = host.addWindow("ThunderRT6FormDC", 0, 400, 300); }
    Hwnd add(const std::string& cls, int w, int h, std::uint32_t style = 0) {
        const Hwnd c = host.addWindow(cls, form, w, h, style);
        engine.AttachSkin(c);
        return c;
    }
    // Compares the w x h area at (x, y) of a window's screen with an expected image.
    void expectArea(Hwnd h, int x, int y, const PixelImage& expected) {
        PixelImage& shown = host.screen(h);
        for (int j = 0; j < expected.height(); ++j)
            for (int i = 0; i < expected.width(); ++i)
                ASSERT_EQ(shown.at(x + i, y + j), expected.at(i, j))
                    << "at " << x + i << "," << y + j;
    }
    int passedCount(Hwnd h, unsigned message) {
        int n = 0;
        for (const auto& m : host.passedTo(h))
            n += m.message == message ? 1 : 0;
        return n;
    }
    void clear(Hwnd h, Rgb colour = 0x123456) {
        PixelImage& s = host.screen(h);
        skin::FillBox(s.view(), 0, 0, s.width(), s.height(), colour);
    }

    FakeSkinHost host;
    MSkinner engine{host};
    Hwnd form;
    PixelImage round = skin::makeSkinImage(SkinImage::RoundFaces);
    PixelImage glyphs = skin::makeSkinImage(SkinImage::Glyphs);
    PixelImage parts = skin::makeSkinImage(SkinImage::ComboParts);
    PixelImage headerFaces = skin::makeSkinImage(SkinImage::HeaderFaces);

    void SetUp() override { engine.SkinForm(form); }
};

// --- check boxes and option buttons ----------------------------------------------------------

TEST_F(Controls, CheckBoxPaintsEveryStateAndCheckAtTheLeftEdge) {
    const Hwnd check = add("ThunderRT6CheckBox", 80, 20);  // box top: (20 - 13) / 2 = 3.5 -> 4
    struct Case {
        unsigned message;
        std::uintptr_t wParam;
        int check;
        bool enabled;
        Rgb frame;
        int fillRow;  // the RoundFaces row stretched inside, -1 for white
    };
    const Case cases[] = {
        {kPaint, 0, 0, true, kBorder, -1},
        {kMouseMove, 0, 1, true, kBorder, 17},
        {kLButtonDown, 0, 2, true, kPressedBorder, 30},
        {kMouseMove, 1, 0, true, kPressedBorder, 30},
        {kPaint, 0, 1, false, kBorderOff, -1},
        {kMouseMove, 0, 2, false, kBorderOff, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " check " << c.check);
        host.window(check).enabled = c.enabled;
        host.answers[{check, kBmGetCheck}] = c.check;
        clear(check);
        host.deliver(check, c.message, c.wParam, at(40, 10));
        PixelImage box(13, 13);
        skin::FillBox(box.view(), 0, 0, 13, 13, kWhite);
        skin::FrameBox(box.view(), 0, 0, 13, 13, c.frame);
        if (c.fillRow >= 0)
            skin::DrawNineGrid(box.view(), 1, 1, 11, 11, round.view(), 1, c.fillRow, 11, 5, 0, 0, 0,
                               0);
        const int column = c.enabled ? 0 : 9;
        if (c.check == 1)  // 2.5 rounds to 2
            skin::DrawTransparent(box.view(), 2, 2, 9, 8, glyphs.view(), column, 0, kKey);
        if (c.check == 2)
            skin::DrawTransparent(box.view(), 3, 3, 7, 7, glyphs.view(), column + 1, 9, kKey);
        expectArea(check, 0, 4, box);
        EXPECT_EQ(host.screen(check).at(20, 10), 0x123456u) << "the caption is the control's";
        EXPECT_EQ(host.screen(check).at(0, 3), 0x123456u);
    }
    EXPECT_EQ(host.openWindowSurfaces(), 0);
}

TEST_F(Controls, CheckBoxStatesFollowPointerKeysAndLeave) {
    const Hwnd check = add("ThunderRT6CheckBox", 80, 20);
    host.deliver(check, kMouseMove, 0, at(5, 5));
    EXPECT_EQ(host.getProp(check, "OLDSTATE"), 1);
    EXPECT_EQ(host.getProp(check, "MOUSEFLAG"), 1);
    ASSERT_EQ(host.leaveRequests.size(), 1u);
    host.deliver(check, kMouseMove, 0, at(6, 5));  // repainted, no second request
    EXPECT_EQ(host.leaveRequests.size(), 1u);
    host.deliver(check, kKeyDown, kVkSpace);
    EXPECT_EQ(host.getProp(check, "OLDSTATE"), 2);
    host.deliver(check, kKeyUp, kVkSpace);
    EXPECT_EQ(host.getProp(check, "OLDSTATE"), 0);
    host.deliver(check, kKeyDown, 'A');
    EXPECT_EQ(host.getProp(check, "OLDSTATE"), 0);
    host.deliver(check, kMouseMove, 0, at(5, 5));
    host.deliver(check, kMouseLeave);
    EXPECT_EQ(host.getProp(check, "OLDSTATE"), 0);
    EXPECT_EQ(host.getProp(check, "MOUSEFLAG"), 0);
    // Every message reached the control's own procedure too.
    EXPECT_EQ(passedCount(check, kMouseLeave), 1);
    EXPECT_EQ(passedCount(check, kKeyDown), 2);
}

TEST_F(Controls, OptionButtonDiscsDotAndTheGroupRepaintAfterAClick) {
    const Hwnd one = add("ThunderRT6OptionButton", 90, 13);
    const Hwnd two = add("ThunderRT6OptionButton", 90, 13);
    auto expectDisc = [&](Hwnd h, int row, int dotColumn) {
        PixelImage expected(13, 13);
        skin::FillBox(expected.view(), 0, 0, 13, 13, 0x123456);
        skin::DrawNineGrid(expected.view(), 0, 0, 13, 13, round.view(), 0, row, 13, 13, 5, 5, 5, 5,
                           kKey);
        if (dotColumn >= 0)
            skin::DrawTransparent(expected.view(), 4, 4, 5, 5, glyphs.view(), dotColumn, 18, kKey);
        expectArea(h, 0, 0, expected);
    };
    for (auto [message, wParam, row] : {std::tuple{kMouseMove, 0u, 13},
                                        {kLButtonDown, 0u, 26},
                                        {kMouseMove, 1u, 26},
                                        {kSetFocus, 0u, 0}}) {
        SCOPED_TRACE(message);
        clear(one);
        host.deliver(one, message, wParam, at(3, 3));
        expectDisc(one, row, -1);
    }
    // The click checks `one` (its own procedure) and clears `two`: both repaint, forced.
    SCOPED_TRACE("click");
    host.answers[{one, kBmGetCheck}] = 1;
    clear(one);
    clear(two);
    host.deliver(one, kLButtonUp, 0, at(3, 3));
    expectDisc(one, 0, 2);
    expectDisc(two, 0, -1);
    // Disabled: the pale disc and the light dot, whatever the pointer does.
    host.window(one).enabled = false;
    clear(one);
    host.deliver(one, kMouseMove, 1, at(3, 3));
    expectDisc(one, 39, 11);
}

TEST_F(Controls, AControlShorterThanTheBoxIsClippedNotOverrun) {
    const Hwnd check = add("ThunderRT6CheckBox", 40, 8);  // top (8 - 13) / 2 = -2.5 -> -2
    host.answers[{check, kBmGetCheck}] = 1;
    clear(check);
    host.deliver(check, kPaint);
    EXPECT_EQ(host.screen(check).at(0, 0), kBorder);
    EXPECT_EQ(host.screen(check).at(5, 0), kWhite);  // row 2 of the box
    EXPECT_EQ(host.screen(check).at(20, 0), 0x123456u);
}

// --- combo boxes, lists and borders ------------------------------------------------------

class Combo : public Controls {
  protected:
    // The drop button as the box shows it, for a W x H box with a 17-pixel scroll bar.
    PixelImage button(int state, bool enabled, int w, int h) {
        PixelImage b(18, h - 2);
        if (state == 0)
            skin::FillBox(b.view(), 0, 0, 18, h - 2, kWhite);
        else
            skin::DrawNineGrid(b.view(), 0, 0, 18, h - 2, parts.view(), state == 1 ? 0 : 4, 0, 4,
                               18, 2, 1, 1, 1);
        // (18 - 7) / 2 = 5.5 -> 6
        skin::DrawTransparent(b.view(), 6, skin::centreOffset(h, 6), 7, 4, parts.view(), 8,
                              enabled ? 0 : 4, kKey);
        (void)w;
        return b;
    }
};

TEST_F(Combo, DropDownListButtonFollowsPointerPressAndDroppedList) {
    const Hwnd combo = add("ThunderRT6ComboBox", 120, 22, 0x3);  // drop-down list
    host.deliver(combo, kPaint);
    EXPECT_EQ(host.screen(combo).at(0, 10), kBorder);
    EXPECT_EQ(host.screen(combo).at(1, 10), kWhite);
    expectArea(combo, 120 - 18 - 1, 1, button(0, true, 120, 22));
    host.deliver(combo, kMouseMove, 0, at(10, 10));  // anywhere in a list box is the button
    expectArea(combo, 101, 1, button(1, true, 120, 22));
    host.deliver(combo, kLButtonDown, 1, at(10, 10));
    expectArea(combo, 101, 1, button(2, true, 120, 22));
    host.underCursor = combo;
    host.deliver(combo, kLButtonUp, 0, at(10, 10));
    expectArea(combo, 101, 1, button(1, true, 120, 22));
    // While the list is down the button stays pressed, whatever the pointer does.
    host.answers[{combo, kCbGetDroppedState}] = 1;
    host.deliver(combo, kMouseLeave);
    expectArea(combo, 101, 1, button(2, true, 120, 22));
    EXPECT_EQ(host.getProp(combo, "MOUSEFLAG"), 0);
    host.answers[{combo, kCbGetDroppedState}] = 0;
    host.deliver(combo, kWindowPosChanging);
    expectArea(combo, 101, 1, button(0, true, 120, 22));
    // Disabled: the light frame and the grey arrow.
    host.window(combo).enabled = false;
    host.deliver(combo, kPaint);
    EXPECT_EQ(host.screen(combo).at(0, 10), kBorderOff);
    expectArea(combo, 101, 1, button(0, false, 120, 22));
    EXPECT_EQ(host.openWindowSurfaces(), 0);
}

TEST_F(Combo, EditableBoxPaintsItselfAndOnlyItsButtonZoneReacts) {
    const Hwnd combo = add("ThunderRT6ComboBox", 120, 22, 0x2);
    clear(combo);
    EXPECT_EQ(host.deliver(combo, kPaint), 0);
    EXPECT_EQ(passedCount(combo, kPaint), 0) << "its own paint is not passed on";
    EXPECT_EQ(host.screen(combo).at(0, 0), kBorder);
    EXPECT_EQ(host.screen(combo).at(1, 1), kWhite);
    EXPECT_EQ(host.screen(combo).at(50, 10), kWhite);
    host.deliver(combo, kMouseMove, 0, at(50, 10));  // the text part
    EXPECT_EQ(host.getProp(combo, "OLDSTATE"), 0);
    host.deliver(combo, kMouseMove, 0, at(120 - 17 - 2, 2));  // the zone's first pixel
    expectArea(combo, 101, 1, button(1, true, 120, 22));
    host.deliver(combo, kLButtonDown, 1, at(50, 10));
    EXPECT_EQ(host.getProp(combo, "OLDSTATE"), 1) << "a press on the text is not the button's";
    host.deliver(combo, kLButtonDown, 1, at(118, 20));  // the zone's last pixel
    expectArea(combo, 101, 1, button(2, true, 120, 22));
}

TEST_F(Combo, SimpleBoxNeverGetsAButtonAndDriveListsBehaveAsLists) {
    const Hwnd simple = add("ThunderRT6ComboBox", 120, 60, 0x1);
    clear(simple);
    host.deliver(simple, kMouseMove, 0, at(110, 10));
    host.deliver(simple, kLButtonDown, 1, at(110, 10));
    EXPECT_EQ(host.getProp(simple, "OLDSTATE"), 0);
    EXPECT_EQ(host.screen(simple).at(110, 10), 0x123456u);

    const Hwnd drive = add("ThunderRT6DriveListBox", 100, 22, 0x3);
    host.deliver(drive, kMouseMove, 1, at(5, 5));
    expectArea(drive, 100 - 19, 1, button(2, true, 100, 22));
    host.deliver(drive, kPaint);
    EXPECT_EQ(host.screen(drive).at(0, 5), kBorder);
}

TEST_F(Combo, DropListAndDataListGetTheFrameOnlyTheDropListTheBorder) {
    const Hwnd drop = add("ComboLBox", 100, 80);
    const Hwnd data = add("DataListWndClass", 100, 80);
    for (Hwnd h : {drop, data}) {
        host.window(h).exStyle = kWsExClientEdge;
        host.clientBoxes[h] = {0, 0, 96, 76};
        clear(h);
        host.deliver(h, kPaint);
        EXPECT_EQ(host.screen(h).at(0, 40), kBorder);
        EXPECT_EQ(host.screen(h).at(1, 40), kWhite);
        clear(h);
        host.deliver(h, kNcPaint, 1);
    }
    EXPECT_EQ(host.screen(drop).at(0, 40), kBorder);
    EXPECT_EQ(host.screen(data).at(0, 40), 0x123456u) << "a data list keeps the system's border";
}

TEST_F(Combo, FlatBorderRingsForBorderSizesOneToThree) {
    for (int size = 1; size <= 3; ++size) {
        SCOPED_TRACE(size);
        const Hwnd text = add("Edit", 60, 40);
        host.window(text).exStyle = kWsExClientEdge;
        host.clientBoxes[text] = {0, 0, 60 - 2 * size, 40 - 2 * size};
        host.backgrounds[text] = 0xF0F0F0;
        clear(text);
        EXPECT_EQ(host.deliver(text, kNcPaint, 1), 0x5A);
        PixelImage& s = host.screen(text);
        for (int d = 0; d <= size; ++d) {
            // The outer ring is the frame, the rest of the edge the band, the client untouched.
            const Rgb ring = d == 0 ? kBorder : d < size ? 0xF0F0F0 : 0x123456;
            for (auto [x, y] : {std::pair{d, 20}, {59 - d, 20}, {30, d}, {30, 39 - d}})
                EXPECT_EQ(s.at(x, y), ring) << "ring " << d << " at " << x << "," << y;
        }
        host.window(text).enabled = false;
        host.deliver(text, kNcPaint, 1);
        EXPECT_EQ(s.at(0, 0), kBorderOff);
    }
    // Without the client edge the system's non-client area stays as it is.
    const Hwnd plain = add("Static", 60, 40);
    clear(plain);
    host.deliver(plain, kNcPaint, 1);
    EXPECT_EQ(host.screen(plain).at(0, 0), 0x123456u);
    EXPECT_EQ(host.openWindowSurfaces(), 0);
}

// --- progress bars, headers and grids --------------------------------------------------------

TEST_F(Controls, ProgressBarFillsItsShareOfTheClientArea) {
    const Hwnd bar = add("ProgressBar20WndClass", 104, 14);
    host.clientBoxes[bar] = {0, 0, 100, 10};  // a 2-pixel frame
    for (auto [position, filled] : {std::pair{0, 0}, {11100, 37}, {30000, 100}, {45000, 100}}) {
        SCOPED_TRACE(position);
        host.answers[{bar, kPbmGetPos}] = position;
        clear(bar);
        EXPECT_EQ(host.deliver(bar, kPaint), 0);
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(host.screen(bar).at(x, 5), x < filled ? kBar : kWhite) << x;
        clear(bar);
        EXPECT_EQ(host.deliver(bar, kNcPaint, 1), 0);
        EXPECT_EQ(passedCount(bar, kPaint) + passedCount(bar, kNcPaint), 0)
            << "neither paint is passed on";
        EXPECT_EQ(host.screen(bar).at(0, 7), kBorder);
        EXPECT_EQ(host.screen(bar).at(1, 7), kWhite);
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(host.screen(bar).at(2 + x, 7), x < filled ? kBar : kWhite) << x;
    }
    // Vertical: the bar grows from the bottom.
    host.window(bar).style = kPbsVertical;
    host.answers[{bar, kPbmGetPos}] = 15000;
    host.deliver(bar, kPaint);
    EXPECT_EQ(host.screen(bar).at(50, 4), kWhite);
    EXPECT_EQ(host.screen(bar).at(50, 5), kBar);
    EXPECT_EQ(host.gdiObjects(), 5 * 2);
}

class Header : public Controls {
  protected:
    void SetUp() override {
        Controls::SetUp();
        header = add("SysHeader32", 300, 20);
        host.setHeaderItems(
            header,
            {{{0, 0, 100, 20}, "开始"}, {{100, 0, 200, 20}, "结束"}, {{200, 0, 300, 20}, ""}});
    }
    // The face each item shows, read from its left separator-free middle column.
    std::vector<int> faces() {
        std::vector<int> out;
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t shown = host.screen(header).at(100 * i + 50, 10);
            int face = -1;
            for (int f = 0; f < 3; ++f)
                if (shown == headerFaces.at(3 * f + 1, 10))
                    face = f;
            out.push_back(face);
        }
        return out;
    }
    Hwnd header = 0;
};

TEST_F(Header, PaintDrawsEveryItemAndItsText) {
    EXPECT_EQ(host.deliver(header, kPaint), 0);
    EXPECT_EQ(faces(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(host.screen(header).at(99, 5), headerFaces.at(2, 5)) << "the separator";
    std::vector<std::string> texts;
    for (const auto& c : host.captions)
        if (c.flags == 0x8025u)
            texts.push_back(c.text + "@" + std::to_string(c.x));
    EXPECT_EQ(texts, (std::vector<std::string>{"开始@0", "结束@100"}));
}

TEST_F(Header, HotAndPressedTrackingThroughMovePressLeaveAndRelease) {
    host.deliver(header, kPaint);
    host.deliver(header, kMouseMove, 0, at(10, 5));
    EXPECT_EQ(faces(), (std::vector<int>{1, 0, 0}));
    host.deliver(header, kMouseMove, 0, at(150, 5));
    EXPECT_EQ(faces(), (std::vector<int>{0, 1, 0}));
    host.deliver(header, kMouseMove, 0, at(250, 5));
    EXPECT_EQ(faces(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(host.getProp(header, "HMINDEX"), 2);

    host.deliver(header, kMouseMove, 0, at(150, 5));
    host.deliver(header, kLButtonDown, 1, at(150, 5));
    EXPECT_EQ(host.getProp(header, "HDINDEX"), 1);
    EXPECT_EQ(faces(), (std::vector<int>{0, 2, 0}));
    host.deliver(header, kMouseMove, 1, at(250, 5));  // dragged on: item 1 stays pressed
    EXPECT_EQ(faces(), (std::vector<int>{0, 2, 0}));
    EXPECT_EQ(host.getProp(header, "HMINDEX"), 1);
    host.deliver(header, kMouseMove, 1, at(150, 5));
    EXPECT_EQ(faces(), (std::vector<int>{0, 2, 0}));
    host.underCursor = header;
    host.deliver(header, kLButtonUp, 0, at(150, 5));
    EXPECT_EQ(host.getProp(header, "HDINDEX"), -1);
    EXPECT_EQ(faces(), (std::vector<int>{0, 1, 0})) << "released under the pointer: hot";

    host.deliver(header, kLButtonDown, 1, at(150, 5));
    host.deliver(header, kLButtonUp, 0, at(250, 5));
    EXPECT_EQ(faces(), (std::vector<int>{0, 0, 0})) << "released elsewhere: normal";

    host.deliver(header, kMouseMove, 0, at(10, 5));
    host.deliver(header, kLButtonDblClk, 1, at(10, 5));
    EXPECT_EQ(faces(), (std::vector<int>{2, 0, 0}));
    host.deliver(header, kMouseLeave);
    EXPECT_EQ(faces(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(host.getProp(header, "HDINDEX"), -1);
    EXPECT_EQ(host.getProp(header, "HMINDEX"), -1);
    EXPECT_EQ(host.getProp(header, "MOUSEFLAG"), 0);
    EXPECT_EQ(host.openWindowSurfaces(), 0);
}

TEST_F(Header, AHeaderWithoutItemsPaintsOnlyItsBackground) {
    host.setHeaderItems(header, {});
    host.deliver(header, kPaint);
    host.deliver(header, kLButtonDown, 1, at(10, 5));
    EXPECT_EQ(host.getProp(header, "HDINDEX"), -1);
    for (int x : {0, 99, 150, 299})
        EXPECT_EQ(host.screen(header).at(x, 10), headerFaces.at(1, 10));
}

TEST_F(Controls, GridGetsAFrameOnlyWithTheBorderStyle) {
    const Hwnd framed = add("ApexGridOleDB32", 80, 40, kWsBorder);
    const Hwnd bare = add("apexgrid", 80, 40);
    for (Hwnd h : {framed, bare}) {
        clear(h);
        host.deliver(h, kPaint);
    }
    EXPECT_EQ(host.screen(framed).at(0, 20), kBorder);
    EXPECT_EQ(host.screen(framed).at(79, 39), kBorder);
    EXPECT_EQ(host.screen(bare).at(0, 20), 0x123456u);
}

}  // namespace
}  // namespace sonorin
