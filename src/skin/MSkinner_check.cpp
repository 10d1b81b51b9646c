// Check boxes and option buttons: the control paints its caption and background itself; the
// engine then paints its own box over the square or circle at the left edge. No fades.
#include "skin/MSkinner.h"
#include "skin/skin_messages.h"

namespace sonorin {

using namespace skin;

namespace {

constexpr int kChecked = 1;
constexpr int kIndeterminate = 2;
constexpr int kRoundCell = 13;

}  // namespace

void MSkinner::PaintCheckBox(Hwnd h, int state, bool force) {
    if (state == prop(h, "OLDSTATE") && !force)
        return;
    setProp(h, "OLDSTATE", state);
    const int cx = host_.systemMetric(msg::kSmCxMenuCheck);
    const int cy = host_.systemMetric(msg::kSmCyMenuCheck);
    const int top = centreOffset(GetWindowBox(h).height(), cy);
    const bool enabled = host_.isEnabled(h);
    const std::intptr_t check = host_.send(h, msg::kBmGetCheck, 0, 0);
    OwnedSurface box = CreateSurface(cx, cy);
    if (!box.surface)
        return;
    FillBox(box.surface, 0, 0, cx, cy, White);
    const Surface round = image(SkinImage::RoundFaces);
    const Surface glyphs = image(SkinImage::Glyphs);
    if (enabled) {
        FrameBox(box.surface, 0, 0, cx, cy,
                 state == FacePressed ? PressedBorderColor : BorderColor);
        // The inside takes the fill of the hover or the pressed disc.
        if (state == FaceHover || state == FacePressed)
            DrawNineGrid(box.surface, 1, 1, cx - 2, cy - 2, round, 1, state == FaceHover ? 17 : 30,
                         11, 5, 0, 0, 0, 0);
    } else {
        FrameBox(box.surface, 0, 0, cx, cy, BorderColorDisabled);
    }
    const int column = enabled ? 0 : 9;
    // The glyphs grow with the DPI, as the box itself does.
    if (check == kChecked) {
        const int w = scaled(h, 9), ht = scaled(h, 8);
        DrawNineGrid(box.surface, centreOffset(cx, w), centreOffset(cy, ht), w, ht, glyphs, column,
                     0, 9, 8, 0, 0, 0, 0, KeyColor);
    } else if (check == kIndeterminate) {
        const int side = scaled(h, 7);
        DrawNineGrid(box.surface, centreOffset(cx, side), centreOffset(cy, side), side, side,
                     glyphs, column + 1, 9, 7, 7, 0, 0, 0, 0, KeyColor);
    }
    if (const Surface window = host_.windowSurface(h)) {
        host_.copySurface(window, 0, top, cx, cy, box.surface, 0, 0);
        host_.releaseWindowSurface(h, window);
    }
    ReleaseSurface(box);
}

void MSkinner::PaintOptionButton(Hwnd h, int state, bool force) {
    if (state == prop(h, "OLDSTATE") && !force)
        return;
    setProp(h, "OLDSTATE", state);
    const int cx = host_.systemMetric(msg::kSmCxMenuCheck);
    const int cy = host_.systemMetric(msg::kSmCyMenuCheck);
    const int top = centreOffset(GetWindowBox(h).height(), cy);
    const bool enabled = host_.isEnabled(h);
    const bool checked = host_.send(h, msg::kBmGetCheck, 0, 0) == kChecked;
    const int row = enabled && state >= 0 && state <= FacePressed ? kRoundCell * state
                                                                  : kRoundCell * FaceDisabled;
    const int dot = scaled(h, 5);
    // The disc is scaled whole: stretching only its middle, as a frame's would be, turns it
    // into a rounded square once the box is larger than the image.
    drawOnWindow(h, 0, top, cx, cy, [&](Surface s, int x, int y) {
        DrawNineGrid(s, x, y, cx, cy, image(SkinImage::RoundFaces), 0, row, kRoundCell, kRoundCell,
                     0, 0, 0, 0, KeyColor);
        if (checked)
            DrawNineGrid(s, x + centreOffset(cx, dot), y + centreOffset(cy, dot), dot, dot,
                         image(SkinImage::Glyphs), enabled ? 2 : 11, 18, 5, 5, 0, 0, 0, 0,
                         KeyColor);
    });
}

std::intptr_t MSkinner::checkMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                     std::uintptr_t wParam, std::intptr_t lParam) {
    const std::intptr_t result = host_.callProcedure(saved, h, message, wParam, lParam);
    if (!prop(h, "PROCADDR"))
        return result;
    const bool option = kindOf(h) == SkinKind::OptionButton;
    auto paint = [&](int state, bool force = false) {
        if (option)
            PaintOptionButton(h, state, force);
        else
            PaintCheckBox(h, state, force);
    };
    switch (message) {
        case msg::kPaint:
            paint(FaceNormal, true);
            break;
        case msg::kMouseMove:
            if (prop(h, "MOUSEFLAG") == 0) {
                setProp(h, "MOUSEFLAG", 1);
                TrackLeave(h);
            }
            paint((wParam & msg::kMkLButton) ? FacePressed : FaceHover, true);
            break;
        case msg::kLButtonDown:
            paint(FacePressed);
            break;
        case msg::kLButtonUp:
            paint(FaceNormal);
            break;
        case msg::kMouseLeave:
            setProp(h, "MOUSEFLAG", 0);
            paint(FaceNormal);
            break;
        case msg::kKeyDown:
            if (wParam == msg::kVkSpace)
                paint(FacePressed);
            break;
        case msg::kKeyUp:
            if (wParam == msg::kVkSpace)
                paint(FaceNormal);
            break;
        case msg::kEnable:
        case msg::kSetText:
        case msg::kSetFont:
            paint(FaceNormal, true);
            break;
        case msg::kSetFocus:
        case msg::kKillFocus:
            if (option)
                paint(FaceNormal, true);
            break;
        default:
            break;
    }
    return result;
}

}  // namespace sonorin
