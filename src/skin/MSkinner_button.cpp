// Command buttons: four finished faces per button, and fades between them on a 15-ms timer.
// A face's surface is made, and the face drawn, when it is first shown after the button was
// made or changed, not at once: most buttons never show their hover, pressed or disabled face
// (hidden ones none), and a window's buttons are made just before it appears, where four
// surfaces for each, with their two property entries each, held it up.
#include "skin/MSkinner.h"
#include "skin/skin_messages.h"

namespace sonorin {

using namespace skin;

namespace {

constexpr const char* kFaceSurface[4] = {"HDC0", "HDC1", "HDC2", "HDC3"};
constexpr const char* kFaceBitmap[4] = {"BMP0", "BMP1", "BMP2", "BMP3"};
constexpr int kHoverLeaveOpacity = 140;
constexpr int kReleaseOpacity = 60;
constexpr int kRegionCorner = 3;
constexpr Rgb kBlack = 0x000000;

}  // namespace

void MSkinner::setUpButton(Hwnd h) {
    const ScreenBox box = GetWindowBox(h);
    setProp(h, "STALEFACES", kAllFaces);
    const std::uint32_t style = host_.style(h);
    if ((style & msg::kOwnPaintingStyleBits) == 0)
        host_.send(h, msg::kBmSetStyle, msg::kBsOwnerDraw, 1);
    setProp(h, "OLDSTYLE", static_cast<std::intptr_t>(style));
    setProp(h, "MOUSEFLAG", 0);
    setProp(h, "TIMERID", 0);
    setProp(h, "OLDSTATE", host_.isEnabled(h) ? FaceNormal : FaceDisabled);
    setProp(h, "ALPHALEVEL", 0);
    host_.setRoundRegion(h, box.width() + 1, box.height() + 1, kRegionCorner);
}

void MSkinner::releaseButton(Hwnd h) {
    for (int n = 0; n < 4; ++n) {
        const Surface face = static_cast<Surface>(prop(h, kFaceSurface[n]));
        const Bitmap bitmap = static_cast<Bitmap>(prop(h, kFaceBitmap[n]));
        if (face)
            host_.deleteSurface(face);
        if (bitmap)
            host_.deleteBitmap(bitmap);
        host_.removeProp(h, kFaceSurface[n]);
        host_.removeProp(h, kFaceBitmap[n]);
    }
    StopFade(h);
    // The button takes back its own painting. Visibility and enabled state stay what the
    // program made them meanwhile: they are not the button's look.
    const std::uint32_t keep = msg::kWsVisible | msg::kWsDisabled;
    const std::uint32_t old = static_cast<std::uint32_t>(prop(h, "OLDSTYLE"));
    host_.setStyle(h, (old & ~keep) | (host_.style(h) & keep));
    for (const char* name :
         {"OLDSTYLE", "MOUSEFLAG", "TIMERID", "OLDSTATE", "ALPHALEVEL", "STALEFACES"})
        host_.removeProp(h, name);
    host_.removeRegion(h);
}

// Face n's surface, made now, of the button's size, if the button has none yet; 0 if the system
// gave none. A face without a surface is still marked stale (set-up and resizing mark all four,
// and only a drawn face is unmarked), so it is drawn before it is shown.
Surface MSkinner::faceSurface(Hwnd h, int n) {
    if (const Surface face = static_cast<Surface>(prop(h, kFaceSurface[n])))
        return face;
    const ScreenBox box = GetWindowBox(h);
    const Surface face = host_.createSurface();
    if (!face)
        return 0;
    const Bitmap bitmap = host_.createBitmap(box.width(), box.height());
    if (bitmap)
        host_.selectBitmap(face, bitmap);
    setProp(h, kFaceSurface[n], static_cast<std::intptr_t>(face));
    setProp(h, kFaceBitmap[n], static_cast<std::intptr_t>(bitmap));
    return face;
}

void MSkinner::resizeButtonFaces(Hwnd h) {
    const ScreenBox box = GetWindowBox(h);
    for (int n = 0; n < 4; ++n) {
        const Surface face = static_cast<Surface>(prop(h, kFaceSurface[n]));
        const Bitmap old = static_cast<Bitmap>(prop(h, kFaceBitmap[n]));
        const Bitmap bitmap = face ? host_.createBitmap(box.width(), box.height()) : 0;
        // Without a bitmap of the new size (an empty button) the old one stays; nothing of
        // it is shown, since a button with no area is not painted.
        if (!bitmap)
            continue;
        host_.selectBitmap(face, bitmap);
        if (old)
            host_.deleteBitmap(old);
        setProp(h, kFaceBitmap[n], static_cast<std::intptr_t>(bitmap));
    }
    setProp(h, "STALEFACES", kAllFaces);
    host_.setRoundRegion(h, box.width() + 1, box.height() + 1, kRegionCorner);
}

void MSkinner::RenderButtonFaces(Hwnd h, unsigned which) {
    const ScreenBox box = GetWindowBox(h);
    const int w = box.width(), ht = box.height();
    const std::string caption = GetWindowCaption(h);
    const bool focused = host_.focus() == h;
    const Surface faces = image(SkinImage::ButtonFaces);
    for (int n = 0; n < 4; ++n) {
        if ((which & (1u << n)) == 0)
            continue;
        const Surface face = static_cast<Surface>(prop(h, kFaceSurface[n]));
        if (!face || !host_.pixels(face))
            continue;
        DrawNineGrid(face, 0, 0, w, ht, faces, 0, kFaceHeight * n, kFaceWidth, kFaceHeight,
                     kFaceMargin, kFaceMargin, kFaceMargin, kFaceMargin);
        DrawCaption(face, h, caption, 2, 2, w - 4, ht - 4, msg::kCaptionFormat,
                    n == FaceDisabled ? DisabledTextColor : kBlack);
        if (focused)
            DrawFocusBox(face, 2, 2, w - 4, ht - 4);
    }
}

void MSkinner::PaintButton(Hwnd h, Surface target) {
    if (!host_.isEnabled(h))
        setProp(h, "OLDSTATE", FaceDisabled);
    if (prop(h, "OLDSTYLE") & msg::kOwnPaintingStyleBits)
        return;
    const std::intptr_t state = prop(h, "OLDSTATE");
    if (state < 0 || state > 3)
        return;
    const ScreenBox box = GetWindowBox(h);
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const Surface face = faceSurface(h, static_cast<int>(state));
    if (!face)
        return;
    if (const std::intptr_t stale = prop(h, "STALEFACES"); stale & (1 << state)) {
        setProp(h, "STALEFACES", stale & ~(1 << state));
        RenderButtonFaces(h, 1u << state);
    }
    const Surface into = target ? target : host_.windowSurface(h);
    if (!into)
        return;
    host_.alphaBlend(into, face, box.width(), box.height(),
                     static_cast<int>(prop(h, "ALPHALEVEL")));
    if (!target)
        host_.releaseWindowSurface(h, into);
}

void MSkinner::pressButton(Hwnd h) {
    StopFade(h);
    setProp(h, "OLDSTATE", FacePressed);
    setProp(h, "ALPHALEVEL", 255);
    PaintButton(h, 0);
    setProp(h, "ALPHALEVEL", 0);
}

// The current face, whole, without waiting for a paint or a fade: a changed caption, font or
// enabled state shows the moment it is made.
void MSkinner::showFaceNow(Hwnd h) {
    StopFade(h);
    setProp(h, "ALPHALEVEL", 255);
    PaintButton(h, 0);
}

// A dialog makes a push button its default (or no longer) by setting its style, which would
// turn a skinned button back into one that paints itself. The button stays owner-drawn; the
// push style asked for is what detaching gives back.
std::intptr_t MSkinner::keepOwnerDrawn(Hwnd h, std::intptr_t saved, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
    const std::uintptr_t type = wParam & 0xF;
    const std::intptr_t old = prop(h, "OLDSTYLE");
    // OLDSTYLE holds the window style, never 0, from the button's set-up to its release.
    const bool painted = old != 0 && (old & msg::kOwnPaintingStyleBits) == 0;
    if (!painted || type > 1)
        return host_.callProcedure(saved, h, msg::kBmSetStyle, wParam, lParam);
    setProp(h, "OLDSTYLE", (old & ~std::intptr_t{0xF}) | static_cast<std::intptr_t>(type));
    return host_.callProcedure(saved, h, msg::kBmSetStyle,
                               (wParam & ~std::uintptr_t{0xF}) | msg::kBsOwnerDraw, lParam);
}

std::intptr_t MSkinner::buttonMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                      std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == msg::kTimer) {
        int opacity = static_cast<int>(prop(h, "ALPHALEVEL"));
        PaintButton(h, 0);
        opacity += msg::kFadeStep;
        if (opacity >= 256) {
            StopFade(h);
            opacity = 0;
        }
        setProp(h, "ALPHALEVEL", opacity);
        return host_.callProcedure(saved, h, message, wParam, lParam);
    }
    if (message == msg::kPaint) {
        if (prop(h, "OLDSTYLE") & msg::kOwnPaintingStyleBits)
            return host_.callProcedure(saved, h, message, wParam, lParam);
        StopFade(h);
        setProp(h, "ALPHALEVEL", 255);
        const Surface s = host_.beginPaint(h);
        PaintButton(h, s);
        host_.endPaint(h, s);
        return 0;
    }
    const std::intptr_t result = host_.callProcedure(saved, h, message, wParam, lParam);
    // The message may have detached the button (a click that closes its form): nothing of
    // the engine may come back onto it.
    if (!prop(h, "PROCADDR"))
        return result;
    switch (message) {
        case msg::kSize:
            resizeButtonFaces(h);
            break;
        case msg::kEnable:
            setProp(h, "OLDSTATE", wParam ? FaceNormal : FaceDisabled);
            showFaceNow(h);
            break;
        case msg::kSetText:
        case msg::kSetFont:
            setProp(h, "STALEFACES", kAllFaces);
            showFaceNow(h);
            break;
        case msg::kSetFocus:
        case msg::kKillFocus:
            setProp(h, "STALEFACES", kAllFaces);
            setProp(h, "ALPHALEVEL", 0);
            StartFade(h);
            break;
        case msg::kMouseMove:
            if (prop(h, "MOUSEFLAG") == 0) {
                setProp(h, "MOUSEFLAG", 1);
                TrackLeave(h);
                setProp(h, "OLDSTATE", FaceHover);
                setProp(h, "ALPHALEVEL", 0);
                StartFade(h);
            } else if (host_.windowUnderCursor() != h) {
                StopFade(h);
                setProp(h, "ALPHALEVEL", 255);
                PaintButton(h, 0);
            }
            break;
        case msg::kMouseLeave:
            setProp(h, "MOUSEFLAG", 0);
            setProp(h, "OLDSTATE", FaceHover);
            setProp(h, "ALPHALEVEL", kHoverLeaveOpacity);
            PaintButton(h, 0);
            setProp(h, "OLDSTATE", FaceNormal);
            setProp(h, "ALPHALEVEL", 0);
            StartFade(h);
            break;
        case msg::kLButtonDown:
        case msg::kLButtonDblClk:
            pressButton(h);
            break;
        case msg::kLButtonUp:
            setProp(h, "MOUSEFLAG", 0);
            setProp(h, "OLDSTATE", FaceNormal);
            setProp(h, "ALPHALEVEL", kReleaseOpacity);
            StartFade(h);
            break;
        case msg::kKeyDown:
            if (wParam == msg::kVkSpace)
                pressButton(h);
            break;
        case msg::kKeyUp:
            if (wParam == msg::kVkSpace) {
                setProp(h, "MOUSEFLAG", 0);
                setProp(h, "ALPHALEVEL", 0);
                setProp(h, "OLDSTATE", FaceNormal);
                StartFade(h);
            }
            break;
        default:
            break;
    }
    return result;
}

}  // namespace sonorin
