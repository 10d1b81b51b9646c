// Attachment, detachment, message routing and the command button's states and fades, through
// an in-memory window system whose surfaces are pixel buffers.
#include "skin/MSkinner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_skin_host.h"
#include "skin/pixels.h"
#include "skin/skin_messages.h"

namespace sonorin {
namespace {

using namespace skin::msg;
using skin::PixelImage;

constexpr std::uint32_t kVisible = 0x10000000;
constexpr std::uint32_t kDisabled = 0x08000000;
constexpr std::uint32_t kDefPushButton = 1;

class Skinned : public ::testing::Test {
  protected:
    Skinned() {
        form = host.addWindow("ThunderRT6FormDC", 0, 400, 300);
        button = host.addWindow("ThunderRT6CommandButton", form, 100, 50, kVisible | kDefPushButton,
                                "录音");
        label = host.addWindow("Static", form, 80, 20);
        check = host.addWindow("ThunderRT6CheckBox", form, 80, 20);
        list = host.addWindow("SysListView32", form, 200, 100);
        header = host.addWindow("SysHeader32", list, 200, 20);
    }

    // What the screen of a button shows once face n is blended at full opacity.
    PixelImage expectedFace(int n, int w = 100, int h = 50) {
        PixelImage faces = skin::makeSkinImage(skin::SkinImage::ButtonFaces);
        PixelImage out(w, h);
        skin::DrawNineGrid(out.view(), 0, 0, w, h, faces.view(), 0, 21 * n, 7, 21, 3, 3, 3, 3);
        return out;
    }
    void expectScreen(Hwnd h, const PixelImage& expected) {
        PixelImage& shown = host.screen(h);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                ASSERT_EQ(shown.at(x, y), expected.at(x, y)) << x << "," << y;
    }
    // Runs fade steps until the timer stops; returns the opacities blended.
    std::vector<int> runFade(Hwnd h) {
        host.blends.clear();
        for (int guard = 0; host.timers.count(h) && guard < 1000; ++guard)
            host.deliver(h, kTimer, 1);
        return host.blends;
    }
    std::vector<int> levels(int from) {
        std::vector<int> out;
        for (int a = from; a < 256; a += 3)
            out.push_back(a);
        return out;
    }

    FakeSkinHost host;
    MSkinner engine{host};
    Hwnd form, button, label, check, list, header;
};

TEST_F(Skinned, SkinFormAttachesTheFormAndEveryDescendant) {
    EXPECT_EQ(engine.SkinForm(form), 1);
    EXPECT_TRUE(engine.SkinReady());
    EXPECT_TRUE(engine.HasTrackMouse());
    EXPECT_EQ(host.lookedUp, std::vector<std::string>{"User32!TrackMouseEvent"});
    EXPECT_EQ(engine.SkinnedCount(), 6);
    for (Hwnd h : {form, button, label, check, list, header}) {
        EXPECT_EQ(host.getProp(h, "PROCADDR"), 0x1000 + static_cast<std::intptr_t>(h));
        EXPECT_EQ(host.window(h).procedure, FakeSkinHost::kEngineProcedure);
        EXPECT_NE(
            std::find(host.sent.begin(), host.sent.end(), FakeSkinHost::Message{h, kNcPaint, 1, 0}),
            host.sent.end());
        EXPECT_NE(std::find(host.invalidated.begin(), host.invalidated.end(), h),
                  host.invalidated.end());
    }
    EXPECT_EQ(host.window(label).props.size(), 1u);
    EXPECT_EQ(host.window(form).props.size(), 1u);
    EXPECT_EQ(host.getProp(check, "MOUSEFLAG"), 0);
    EXPECT_TRUE(host.has(check, "OLDSTATE"));
    EXPECT_EQ(host.getProp(header, "HDINDEX"), -1);
    EXPECT_EQ(host.getProp(header, "HMINDEX"), -1);
    EXPECT_TRUE(host.has(header, "MOUSEFLAG"));

    // The button: owner-drawn, a rounded region; no face surface until a face is shown.
    for (const char* name : {"HDC0", "HDC1", "HDC2", "HDC3", "BMP0", "BMP1", "BMP2", "BMP3"})
        EXPECT_FALSE(host.has(button, name)) << name;
    EXPECT_EQ(host.getProp(button, "OLDSTYLE"), static_cast<std::intptr_t>(kVisible | 1));
    EXPECT_EQ(host.window(button).style & 0xF, 11u);
    for (const char* name : {"MOUSEFLAG", "TIMERID", "OLDSTATE", "ALPHALEVEL"}) {
        EXPECT_TRUE(host.has(button, name));
        EXPECT_EQ(host.getProp(button, name), 0);
    }
    EXPECT_TRUE(host.window(button).region);
    EXPECT_EQ(host.window(button).regionRight, 101);
    EXPECT_EQ(host.window(button).regionBottom, 51);
    EXPECT_EQ(host.window(button).regionCorner, 3);
    // Five images, each a surface with its bitmap, and the region.
    EXPECT_EQ(host.gdiObjects(), 5 * 2 + 1);
    // A face is made and drawn when it is first shown, once until the button changes.
    EXPECT_TRUE(host.captions.empty());
    host.deliver(button, kPaint);
    host.deliver(button, kPaint);
    EXPECT_EQ(host.gdiObjects(), 5 * 2 + 1 + 2) << "the normal face only";
    EXPECT_TRUE(host.has(button, "BMP0"));
    EXPECT_FALSE(host.has(button, "HDC1"));
    host.window(button).enabled = false;
    host.deliver(button, kEnable, 0);
    ASSERT_EQ(host.captions.size(), 2u);
    for (const auto& c : host.captions) {
        EXPECT_EQ(c.text, "录音");
        EXPECT_EQ(c.flags, 0x8025u);
        EXPECT_EQ(std::vector<int>({c.x, c.y, c.w, c.h}), std::vector<int>({2, 2, 96, 46}));
    }
    EXPECT_EQ(host.captions[0].colour, 0u);
    EXPECT_EQ(host.captions[1].colour, 0x798A96u) << "the disabled face";
    EXPECT_TRUE(host.focusBoxes.empty());
}

// As a form loads: skinned while hidden, its controls made and attached just before it first
// appears. Nothing is painted before it is on screen (it is painted whole when it appears); the
// set-up itself is complete.
TEST_F(Skinned, ChildrenMadeAfterTheFormWasSkinnedAreAttachedToo) {
    EXPECT_EQ(engine.AttachChildren(form), 0) << "a form that is not skinned stays as it is";
    EXPECT_EQ(host.getProp(button, "PROCADDR"), 0);
    host.window(form).hidden = true;
    engine.SkinForm(form);
    const Hwnd late = host.addWindow("ThunderRT6CommandButton", form, 60, 30, kVisible, "停止");
    EXPECT_EQ(engine.AttachChildren(form), 1) << "only the new one";
    EXPECT_NE(host.getProp(late, "PROCADDR"), 0);
    EXPECT_NE(host.getProp(late, "OLDSTYLE"), 0);
    EXPECT_EQ(engine.SkinnedCount(), 7);
    for (const auto& m : host.sent)
        EXPECT_NE(m.message, kNcPaint) << m.h;
    EXPECT_TRUE(host.invalidated.empty());

    host.window(form).hidden = false;
    engine.UnskinForm(form);
    EXPECT_NE(
        std::find(host.sent.begin(), host.sent.end(), FakeSkinHost::Message{late, kNcPaint, 1, 0}),
        host.sent.end())
        << "on screen, the old look shows at once";
}

TEST_F(Skinned, AttachmentIsIdempotent) {
    EXPECT_EQ(engine.SkinForm(0), 0);
    engine.SkinForm(form);
    const int objects = host.gdiObjects();
    const auto props = host.window(button).props;
    EXPECT_EQ(engine.SkinForm(form), 0);
    EXPECT_EQ(engine.AttachSkin(button), 0);
    EXPECT_EQ(engine.SkinnedCount(), 6);
    EXPECT_EQ(host.gdiObjects(), objects);
    EXPECT_EQ(host.window(button).props, props);

    // A form among the descendants: its own enumeration finds windows already attached.
    Hwnd inner = host.addWindow("#32770", form, 50, 50);
    Hwnd innerButton = host.addWindow("Button", inner, 20, 20);
    EXPECT_EQ(engine.AttachSkin(inner), 1);
    EXPECT_EQ(engine.SkinnedCount(), 8);
    EXPECT_TRUE(host.has(innerButton, "OLDSTYLE"));
}

TEST_F(Skinned, UnskinFormRemovesEverythingAndTheNextSkinFormRebuilds) {
    const std::uint32_t buttonStyle = host.window(button).style;
    engine.SkinForm(form);
    host.deliver(button, kPaint);  // a face made after attachment goes with the rest
    EXPECT_EQ(engine.UnskinForm(form), 1);
    for (Hwnd h : {form, button, label, check, list, header}) {
        EXPECT_TRUE(host.window(h).props.empty()) << h;
        EXPECT_EQ(host.window(h).procedure, 0x1000 + static_cast<std::intptr_t>(h));
    }
    EXPECT_EQ(host.window(button).style, buttonStyle);
    EXPECT_FALSE(host.window(button).region);
    EXPECT_EQ(engine.SkinnedCount(), 0);
    EXPECT_FALSE(engine.SkinReady());
    EXPECT_EQ(host.gdiObjects(), 0);
    EXPECT_EQ(engine.UnskinForm(form), 0);

    EXPECT_EQ(engine.SkinForm(form), 1);
    EXPECT_TRUE(engine.SkinReady());
    EXPECT_NE(engine.image(skin::SkinImage::HeaderFaces), 0u);
    EXPECT_EQ(host.gdiObjects(), 5 * 2 + 1);
}

TEST_F(Skinned, DetachKeepsWhatTheProgramChangedMeanwhile) {
    engine.SkinForm(form);
    host.window(button).style |= kDisabled;
    host.window(button).style &= ~kVisible;
    engine.DetachSkin(button);
    EXPECT_EQ(host.window(button).style, kDisabled | kDefPushButton);
}

TEST_F(Skinned, ADialogMovingTheDefaultKeepsTheButtonOwnerDrawn) {
    engine.SkinForm(form);
    host.deliver(button, kBmSetStyle, 0, 1);  // no longer the default push button
    EXPECT_EQ(host.window(button).style & 0xF, 11u);
    EXPECT_EQ(host.getProp(button, "OLDSTYLE"), static_cast<std::intptr_t>(kVisible));
    engine.DetachSkin(button);
    EXPECT_EQ(host.window(button).style, kVisible);
    // Detached, the style is the button's own business again.
    host.deliver(button, kBmSetStyle, 1, 1);
    EXPECT_EQ(host.window(button).style, kVisible | 1);
}

TEST_F(Skinned, DestroyDetachesBeforeTheSavedProcedureSeesIt) {
    engine.SkinForm(form);
    host.deliver(button, kDestroy);
    const auto passed = host.passedTo(button);
    ASSERT_FALSE(passed.empty());
    EXPECT_EQ(passed.back().message, kDestroy);
    EXPECT_TRUE(host.window(button).props.empty());
    EXPECT_EQ(engine.SkinnedCount(), 5);

    // The form going takes everything with it, images included.
    host.deliver(form, kDestroy);
    EXPECT_EQ(engine.SkinnedCount(), 0);
    EXPECT_EQ(host.gdiObjects(), 0);
    for (auto& [h, w] : host.windows)
        EXPECT_TRUE(w.props.empty()) << h;
}

TEST_F(Skinned, AClickThatClosesTheFormLeavesNothingOnTheButton) {
    engine.SkinForm(form);
    host.deliver(button, kMouseMove);
    host.deliver(button, kLButtonDown);
    host.onPassed = [this](const FakeSkinHost::Message& m) {
        if (m.h == button && m.message == kLButtonUp)
            engine.UnskinForm(form);  // the click handler unloads the form
    };
    host.deliver(button, kLButtonUp);
    EXPECT_TRUE(host.window(button).props.empty());
    EXPECT_FALSE(host.timers.count(button));
    EXPECT_EQ(host.gdiObjects(), 0);
}

TEST_F(Skinned, AWindowOfAnotherProcessIsLeftAlone) {
    engine.SkinForm(form);
    Hwnd stranger = host.addWindow("Button", 0, 30, 30);
    host.foreign.insert(stranger);
    const int objects = host.gdiObjects();
    EXPECT_EQ(engine.AttachSkin(stranger), 0);
    EXPECT_TRUE(host.window(stranger).props.empty());
    EXPECT_EQ(host.window(stranger).style, 0u);
    EXPECT_EQ(host.gdiObjects(), objects);
    EXPECT_EQ(engine.SkinnedCount(), 6);
}

TEST_F(Skinned, RoutingOfMessagesEveryKindPassesOn) {
    engine.SkinForm(form);
    EXPECT_EQ(engine.SkinWindowProc(0, kPaint, 0, 0), 0);
    Hwnd plain = host.addWindow("Static", 0, 10, 10);
    engine.SkinWindowProc(plain, 0x0400, 7, 8);
    EXPECT_EQ(host.defaulted.back(), (FakeSkinHost::Message{plain, 0x0400, 7, 8}));

    host.passed.clear();
    for (unsigned m : {0x0400u, kPaint, kMouseMove, kTimer, kNcPaint, kSize, kKeyDown}) {
        EXPECT_EQ(host.deliver(label, m, 3, 4), 0x5A);
        EXPECT_EQ(host.passed.back(), (FakeSkinHost::Message{label, m, 3, 4}));
    }
    EXPECT_EQ(host.deliver(button, 0x0400, 5, 6), 0x5A);
    EXPECT_EQ(host.passed.back(), (FakeSkinHost::Message{button, 0x0400u, 5, 6}));
}

TEST_F(Skinned, WindowsJoinThroughActivationIdleAndListColours) {
    engine.SkinForm(form);
    Hwnd box = host.addWindow("#32770", form, 200, 100);
    Hwnd ok = host.addWindow("Button", box, 60, 24, kDefPushButton, "确定");
    EXPECT_EQ(host.deliver(form, kEnterIdle, 0, static_cast<std::intptr_t>(box)), 0x5A);
    EXPECT_TRUE(host.has(box, "PROCADDR"));
    EXPECT_TRUE(host.has(ok, "OLDSTYLE"));

    Hwnd drop = host.addWindow("ComboLBox", 0, 100, 80);
    host.deliver(check, kCtlColorListBox, 0, static_cast<std::intptr_t>(drop));
    EXPECT_TRUE(host.has(drop, "PROCADDR"));

    Hwnd owned = host.addWindow("Static", form, 10, 10);
    Hwnd unrelated = host.addWindow("Static", 0, 10, 10);
    Hwnd otherForm = host.addWindow("ThunderRT6FormDC", 0, 10, 10);
    for (Hwnd h : {owned, unrelated, otherForm})
        host.deliver(form, kActivate, 0, static_cast<std::intptr_t>(h));
    EXPECT_TRUE(host.has(owned, "PROCADDR"));
    EXPECT_FALSE(host.has(unrelated, "PROCADDR"));
    EXPECT_TRUE(host.has(otherForm, "PROCADDR"));
}

TEST_F(Skinned, HoverFadesInAndLeavingFadesBack) {
    engine.SkinForm(form);
    host.deliver(button, kMouseMove, 0, (10 << 16) | 10);
    EXPECT_EQ(host.getProp(button, "MOUSEFLAG"), 1);
    EXPECT_EQ(host.leaveRequests, (std::vector<std::pair<Hwnd, bool>>{{button, true}}));
    EXPECT_EQ(host.getProp(button, "OLDSTATE"), 1);
    EXPECT_EQ(host.timers.at(button), 15u);
    EXPECT_EQ(host.getProp(button, "TIMERID"), 1);

    // 86 steps of 3 from 0; the last at 255 leaves the hover face exactly.
    EXPECT_EQ(runFade(button), levels(0));
    EXPECT_EQ(levels(0).size(), 86u);
    EXPECT_EQ(host.getProp(button, "TIMERID"), 0);
    EXPECT_EQ(host.getProp(button, "ALPHALEVEL"), 0);
    expectScreen(button, expectedFace(1));

    // A second move inside changes nothing.
    host.underCursor = button;
    host.deliver(button, kMouseMove);
    EXPECT_FALSE(host.timers.count(button));

    host.blends.clear();
    host.deliver(button, kMouseLeave);
    EXPECT_EQ(host.blends, std::vector<int>{140});
    EXPECT_EQ(host.getProp(button, "MOUSEFLAG"), 0);
    EXPECT_EQ(runFade(button), levels(0));
    expectScreen(button, expectedFace(0));
}

TEST_F(Skinned, PressShowsAtOnceAndReleaseFadesFromSixty) {
    engine.SkinForm(form);
    host.deliver(button, kMouseMove);
    host.blends.clear();
    host.deliver(button, kLButtonDown);
    EXPECT_FALSE(host.timers.count(button));
    EXPECT_EQ(host.blends, std::vector<int>{255});
    expectScreen(button, expectedFace(2));
    EXPECT_EQ(host.getProp(button, "ALPHALEVEL"), 0);

    host.deliver(button, kLButtonUp);
    EXPECT_EQ(host.getProp(button, "MOUSEFLAG"), 0);
    EXPECT_EQ(host.getProp(button, "ALPHALEVEL"), 60);
    const std::vector<int> fade = runFade(button);
    EXPECT_EQ(fade, levels(60));
    EXPECT_EQ(fade.size(), 66u);
    expectScreen(button, expectedFace(0));

    // Holding the button and dragging off: the current face at full opacity at once.
    host.deliver(button, kMouseMove);
    host.deliver(button, kLButtonDown);
    host.deliver(button, kMouseMove);  // flag set, so this is the drag
    EXPECT_TRUE(host.timers.count(button) == 0);
    EXPECT_EQ(host.blends.back(), 255);
}

TEST_F(Skinned, SpaceKeyPressesAndReleases) {
    engine.SkinForm(form);
    host.blends.clear();
    host.deliver(button, kKeyDown, 'A');
    EXPECT_TRUE(host.blends.empty());
    host.deliver(button, kKeyDown, 32);
    EXPECT_EQ(host.blends, std::vector<int>{255});
    expectScreen(button, expectedFace(2));
    host.deliver(button, kKeyUp, 32);
    EXPECT_EQ(runFade(button), levels(0));
    expectScreen(button, expectedFace(0));
}

TEST_F(Skinned, DisabledWhileFadingEndsOnTheDisabledFace) {
    engine.SkinForm(form);
    host.deliver(button, kMouseMove);
    for (int i = 0; i < 10; ++i)
        host.deliver(button, kTimer, 1);
    host.window(button).enabled = false;
    host.deliver(button, kEnable, 0);
    EXPECT_EQ(host.getProp(button, "OLDSTATE"), 3);
    runFade(button);
    expectScreen(button, expectedFace(3));

    host.window(button).enabled = true;
    host.deliver(button, kEnable, 1);
    EXPECT_EQ(host.getProp(button, "OLDSTATE"), 0);
    const int passedBefore = static_cast<int>(host.passedTo(button).size());
    EXPECT_EQ(host.deliver(button, kPaint), 0);  // the engine paints; not passed on
    EXPECT_EQ(static_cast<int>(host.passedTo(button).size()), passedBefore);
    expectScreen(button, expectedFace(0));
}

TEST_F(Skinned, AButtonDisabledAtAttachmentStartsOnTheDisabledFace) {
    host.window(button).enabled = false;
    engine.SkinForm(form);
    EXPECT_EQ(host.getProp(button, "OLDSTATE"), 3);
    host.deliver(button, kPaint);
    expectScreen(button, expectedFace(3));
}

TEST_F(Skinned, FocusRedrawsTheFacesAndFadesFromZero) {
    engine.SkinForm(form);
    host.focused = button;
    host.deliver(button, kSetFocus);
    EXPECT_EQ(host.getProp(button, "ALPHALEVEL"), 0);
    EXPECT_EQ(runFade(button), levels(0));
    EXPECT_EQ(host.focusBoxes.size(), 1u) << "on the face shown, drawn anew";
    host.deliver(button, kLButtonDown);
    EXPECT_EQ(host.focusBoxes.size(), 2u) << "and on the pressed face when it shows";
    host.focused = 0;
    host.focusBoxes.clear();
    host.deliver(button, kKillFocus);
    EXPECT_TRUE(host.focusBoxes.empty());
    EXPECT_TRUE(host.timers.count(button));
}

TEST_F(Skinned, ResizingGivesNewFacesAndRegionWithoutLeaks) {
    engine.SkinForm(form);
    const int objects = host.gdiObjects();
    host.window(button).box = {0, 0, 160, 30};
    host.screen(button) = PixelImage(160, 30);
    host.deliver(button, kSize);
    EXPECT_EQ(host.gdiObjects(), objects);
    EXPECT_EQ(host.window(button).regionRight, 161);
    EXPECT_EQ(host.window(button).regionBottom, 31);
    host.deliver(button, kPaint);
    expectScreen(button, expectedFace(0, 160, 30));

    // An empty button draws and blends nothing.
    host.window(button).box = {0, 0, 0, 0};
    host.deliver(button, kSize);
    host.blends.clear();
    host.deliver(button, kPaint);
    EXPECT_TRUE(host.blends.empty());
    EXPECT_EQ(engine.UnskinForm(form), 1);
    EXPECT_EQ(host.gdiObjects(), 0);
}

TEST_F(Skinned, AGraphicalButtonKeepsItsOwnPainting) {
    Hwnd graphical = host.addWindow("ThunderRT6CommandButton", form, 40, 40, kVisible | 11);
    engine.SkinForm(form);
    EXPECT_EQ(host.window(graphical).style, kVisible | 11);
    host.passed.clear();
    host.blends.clear();
    host.deliver(graphical, kPaint);
    host.deliver(graphical, kLButtonDown);
    EXPECT_TRUE(host.blends.empty());
    EXPECT_EQ(host.passed.front().message, kPaint);
    engine.UnskinForm(form);
    EXPECT_EQ(host.window(graphical).style, kVisible | 11);
}

TEST_F(Skinned, LeaveTrackingThroughTheCommonControlsWhenUser32HasNone) {
    host.trackMouseExported = false;
    engine.SkinForm(form);
    EXPECT_FALSE(engine.HasTrackMouse());
    host.deliver(button, kMouseMove);
    EXPECT_EQ(host.leaveRequests, (std::vector<std::pair<Hwnd, bool>>{{button, false}}));
}

TEST_F(Skinned, BorderSizeRoundsHalvesToEven) {
    host.window(list).box = {0, 0, 100, 50};
    host.clientBoxes[list] = {0, 0, 90, 41};
    int bx = 0, by = 0;
    engine.GetBorderSize(list, bx, by);
    EXPECT_EQ(bx, 5);
    EXPECT_EQ(by, 4);                       // 4.5
    host.window(list).style |= 0x00200000;  // a vertical scroll bar, 17 wide
    host.clientBoxes[list] = {0, 0, 70, 41};
    engine.GetBorderSize(list, bx, by);
    EXPECT_EQ(bx, 6);  // (30 - 17) / 2 = 6.5
}

}  // namespace
}  // namespace sonorin
