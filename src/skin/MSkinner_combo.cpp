// Combo boxes, drive lists, drop-down lists and data lists, and the flat 1-pixel border that
// replaces the sunken client edge of every other window.
#include "skin/MSkinner.h"
#include "skin/skin_messages.h"

namespace sonorin {

using namespace skin;

namespace {

constexpr int kArrowWidth = 7;
constexpr int kArrowHeight = 4;
constexpr int kDropFaceWidth = 4;
constexpr int kDropFaceHeight = 18;

int pointerX(std::intptr_t lParam) {
    return static_cast<std::int16_t>(lParam & 0xFFFF);
}
int pointerY(std::intptr_t lParam) {
    return static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
}

}  // namespace

void MSkinner::frameOfBox(Hwnd h) {
    const ScreenBox box = GetWindowBox(h);
    const int w = box.width(), ht = box.height();
    const Rgb border = host_.isEnabled(h) ? BorderColor : BorderColorDisabled;
    drawOnWindow(h, 0, 0, w, ht, [&](Surface s, int x, int y) {
        FrameBox(s, x, y, w, ht, border);
        FrameBox(s, x + 1, y + 1, w - 2, ht - 2, White);
    });
}

void MSkinner::PaintComboButton(Hwnd h, Surface target, int state, bool force) {
    if (host_.send(h, msg::kCbGetDroppedState, 0, 0) != 0)
        state = FacePressed;
    if (state == prop(h, "OLDSTATE") && !force)
        return;
    if ((host_.style(h) & msg::kCbsHasButton) == 0)
        return;  // a simple box has no button
    setProp(h, "OLDSTATE", state);
    const ScreenBox box = GetWindowBox(h);
    const int w = box.width(), ht = box.height();
    const int bw = host_.systemMetric(msg::kSmCxVScroll) + 1, bh = ht - 2;
    OwnedSurface button = CreateSurface(bw, bh);
    if (!button.surface)
        return;
    const Surface parts = image(SkinImage::ComboParts);
    if (state == FaceHover || state == FacePressed)
        DrawNineGrid(button.surface, 0, 0, bw, bh, parts, state == FaceHover ? 0 : kDropFaceWidth,
                     0, kDropFaceWidth, kDropFaceHeight, 2, 1, 1, 1);
    else
        FillBox(button.surface, 0, 0, bw, bh, White);
    const int aw = scaled(h, kArrowWidth), ah = scaled(h, kArrowHeight);
    DrawNineGrid(button.surface, centreOffset(bw, aw), centreOffset(ht, scaled(h, 6)), aw, ah,
                 parts, 8, host_.isEnabled(h) ? 0 : kArrowHeight, kArrowWidth, kArrowHeight, 0, 0,
                 0, 0, KeyColor);
    const Surface into = target ? target : host_.windowSurface(h);
    if (into) {
        host_.copySurface(into, w - bw - 1, 1, bw, bh, button.surface, 0, 0);
        if (!target)
            host_.releaseWindowSurface(h, into);
    }
    ReleaseSurface(button);
}

std::intptr_t MSkinner::comboMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                     std::uintptr_t wParam, std::intptr_t lParam) {
    const bool drive = kindOf(h) == SkinKind::DriveList;
    // An editable drop-down box paints its own face: its field is a child window of its own.
    const bool editable = !drive && (host_.style(h) & msg::kCbsNoEditField) == 0;
    const ScreenBox box = GetWindowBox(h);
    const int w = box.width(), ht = box.height();
    if (message == msg::kPaint && editable) {
        const Surface s = host_.beginPaint(h);
        const Rgb border = host_.isEnabled(h) ? BorderColor : BorderColorDisabled;
        drawOn(s, 0, 0, w, ht, [&](Surface into, int x, int y) {
            FillBox(into, x, y, w, ht, White);
            FrameBox(into, x, y, w, ht, border);
        });
        PaintComboButton(h, s, static_cast<int>(prop(h, "OLDSTATE")), true);
        host_.endPaint(h, s);
        return 0;
    }
    const std::intptr_t result = host_.callProcedure(saved, h, message, wParam, lParam);
    if (!prop(h, "PROCADDR"))
        return result;
    // The part of an editable box that reacts like a button, in the message's coordinates.
    const int v = host_.systemMetric(msg::kSmCxVScroll);
    const int px = pointerX(lParam), py = pointerY(lParam);
    const bool inButton = px >= w - v - 2 && px <= w - 2 && py >= 2 && py <= ht - 2;
    const int held = (wParam & msg::kMkLButton) ? FacePressed : FaceHover;
    switch (message) {
        case msg::kPaint:
            frameOfBox(h);
            PaintComboButton(h, 0, static_cast<int>(prop(h, "OLDSTATE")), true);
            break;
        case msg::kMouseMove:
            if (prop(h, "MOUSEFLAG") == 0) {
                setProp(h, "MOUSEFLAG", 1);
                TrackLeave(h);
            }
            PaintComboButton(h, 0, editable && !inButton ? FaceNormal : held);
            break;
        case msg::kLButtonDown:
            if (!editable || inButton)
                PaintComboButton(h, 0, FacePressed);
            break;
        case msg::kLButtonUp:
            PaintComboButton(h, 0, host_.windowUnderCursor() == h ? FaceHover : FaceNormal);
            break;
        case msg::kMouseLeave:
            setProp(h, "MOUSEFLAG", 0);
            PaintComboButton(h, 0, FaceNormal);
            break;
        case msg::kWindowPosChanging:
            PaintComboButton(h, 0, FaceNormal);
            break;
        default:
            break;
    }
    return result;
}

std::intptr_t MSkinner::listMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                    std::uintptr_t wParam, std::intptr_t lParam) {
    const std::intptr_t result = host_.callProcedure(saved, h, message, wParam, lParam);
    if (message == msg::kPaint && prop(h, "PROCADDR"))
        frameOfBox(h);
    return result;
}

std::intptr_t MSkinner::flatBorder(Hwnd h, std::intptr_t saved, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
    const std::intptr_t result = host_.callProcedure(saved, h, msg::kNcPaint, wParam, lParam);
    if (!prop(h, "PROCADDR") || (host_.exStyle(h) & msg::kWsExClientEdge) == 0)
        return result;
    int bx = 0, by = 0;
    GetBorderSize(h, bx, by);
    const ScreenBox box = GetWindowBox(h);
    const int w = box.width(), ht = box.height();
    const Rgb border = host_.isEnabled(h) ? BorderColor : BorderColorDisabled;
    const Rgb band = host_.clientBackground(h);
    drawOnWindow(h, 0, 0, w, ht, [&](Surface s, int x, int y) {
        FrameBox(s, x, y, w, ht, border);
        // The rest of the sunken edge becomes a plain band in the client's background, on all
        // four sides alike, so that none of the edge's light or dark lines is left showing;
        // the band ends where the client area begins, which keeps what the window drew there.
        for (int d = 1; d < bx; ++d)
            FrameBox(s, x + d, y + d, w - 2 * d, ht - 2 * d, band);
    });
    return result;
}

}  // namespace sonorin
