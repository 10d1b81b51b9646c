// Progress bars (drawn wholly by the engine), list headers with hot and pressed items, and
// the flat frame of grids.
#include "skin/MSkinner.h"
#include "skin/pixels.h"
#include "skin/skin_messages.h"

namespace sonorin {

using namespace skin;

namespace {

constexpr int kHeaderFaceWidth = 3;
constexpr int kHeaderFaceHeight = 20;
constexpr Rgb kHeaderText = 0x000000;

}  // namespace

void MSkinner::paintBar(Hwnd h, bool wholeWindow) {
    const double p = static_cast<double>(host_.send(h, msg::kPbmGetPos, 0, 0)) / msg::kBarFull;
    const std::uint32_t style = host_.style(h);
    const bool vertical = (style & msg::kPbsVertical) != 0;
    const ScreenBox client = host_.clientBox(h);
    const int cw = client.width(), ch = client.height();
    const int fillW = roundHalfEven(cw * p), fillH = roundHalfEven(ch * p);
    if (!wholeWindow) {
        OwnedSurface bar = CreateSurface(cw, ch);
        if (bar.surface) {
            FillBox(bar.surface, 0, 0, cw, ch, White);
            if (p != 0) {
                if (vertical)
                    FillBox(bar.surface, 0, ch - fillH, cw, fillH, BarColor);
                else
                    FillBox(bar.surface, 0, 0, fillW, ch, BarColor);
            }
        }
        // The paint is begun and ended even without a surface, so that it is validated.
        const Surface s = host_.beginPaint(h);
        if (bar.surface && s)
            host_.copySurface(s, 0, 0, cw, ch, bar.surface, 0, 0);
        host_.endPaint(h, s);
        ReleaseSurface(bar);
        return;
    }
    int bx = 0, by = 0;
    GetBorderSize(h, bx, by);
    const ScreenBox box = GetWindowBox(h);
    const int w = box.width(), ht = box.height();
    OwnedSurface frame = CreateSurface(w, ht);
    if (!frame.surface)
        return;
    FillBox(frame.surface, 0, 0, w, ht, BorderColor);
    FillBox(frame.surface, 1, 1, w - 2, ht - 2, White);
    if (p != 0) {
        if (vertical) {
            if (style & msg::kPbsSmooth)
                FillBox(frame.surface, bx, by, cw, ch, BarColor);
            FillBox(frame.surface, bx, by, cw, ch - fillH, White);
        } else {
            FillBox(frame.surface, bx, by, fillW, ch, BarColor);
        }
    }
    if (const Surface window = host_.windowSurface(h)) {
        host_.copySurface(window, 0, 0, w, ht, frame.surface, 0, 0);
        host_.releaseWindowSurface(h, window);
    }
    ReleaseSurface(frame);
}

std::intptr_t MSkinner::barMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                   std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == msg::kPaint || message == msg::kNcPaint) {
        paintBar(h, message == msg::kNcPaint);
        return 0;
    }
    return host_.callProcedure(saved, h, message, wParam, lParam);
}

int MSkinner::headerItemAt(Hwnd h, std::intptr_t lParam) {
    const int x = static_cast<std::int16_t>(lParam & 0xFFFF);
    const int count = static_cast<int>(host_.send(h, msg::kHdmGetItemCount, 0, 0));
    ScreenBox r;
    std::string text;
    for (int i = 0; i < count; ++i)
        if (host_.headerItem(h, i, r, text) && r.left <= x && x <= r.right)
            return i;
    return -1;
}

void MSkinner::PaintHeaderItem(Hwnd h, Surface target, int index, int state) {
    ScreenBox r;
    std::string text;
    if (index < 0 || !host_.headerItem(h, index, r, text))
        return;
    const int ht = GetWindowBox(h).height();
    const int iw = r.width(), ih = r.height();
    OwnedSurface item = CreateSurface(iw, ht);
    if (!item.surface)
        return;
    DrawNineGrid(item.surface, 0, 0, iw, ht, image(SkinImage::HeaderFaces),
                 kHeaderFaceWidth * state, 0, kHeaderFaceWidth, kHeaderFaceHeight, 1, 1, 1, 1);
    if (!text.empty())
        DrawCaption(item.surface, h, text, 0, 0, iw, ht, msg::kCaptionFormat, kHeaderText);
    const Surface into = target ? target : host_.windowSurface(h);
    if (into) {
        host_.copySurface(into, r.left, 0, iw, ih, item.surface, 0, 0);
        if (!target)
            host_.releaseWindowSurface(h, into);
    }
    ReleaseSurface(item);
}

std::intptr_t MSkinner::headerMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                      std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == msg::kPaint) {
        const ScreenBox box = GetWindowBox(h);
        const int w = box.width(), ht = box.height();
        OwnedSurface all = CreateSurface(w, ht);
        if (all.surface) {
            const Surface faces = image(SkinImage::HeaderFaces);
            DrawNineGrid(all.surface, 0, 0, w, ht, faces, 1, 0, 1, kHeaderFaceHeight, 0, 0, 0, 0);
            const int count = static_cast<int>(host_.send(h, msg::kHdmGetItemCount, 0, 0));
            const std::intptr_t pressed = prop(h, "HDINDEX"), hot = prop(h, "HMINDEX");
            for (int i = 0; i < count; ++i) {
                ScreenBox r;
                std::string text;
                if (!host_.headerItem(h, i, r, text))
                    continue;
                const int state = i == pressed ? FacePressed : i == hot ? FaceHover : FaceNormal;
                DrawNineGrid(all.surface, r.left, 0, r.width(), ht, faces, kHeaderFaceWidth * state,
                             0, kHeaderFaceWidth, kHeaderFaceHeight, 1, 1, 1, 1);
                if (!text.empty())
                    DrawCaption(all.surface, h, text, r.left, 0, r.width(), r.bottom,
                                msg::kCaptionFormat, kHeaderText);
            }
        }
        const Surface s = host_.beginPaint(h);
        if (all.surface && s)
            host_.copySurface(s, 0, 0, w, ht, all.surface, 0, 0);
        host_.endPaint(h, s);
        ReleaseSurface(all);
        return 0;
    }
    const std::intptr_t result = host_.callProcedure(saved, h, message, wParam, lParam);
    if (!prop(h, "PROCADDR"))
        return result;
    switch (message) {
        case msg::kLButtonDown:
        case msg::kLButtonDblClk:
            if (host_.send(h, msg::kHdmGetItemCount, 0, 0) > 0) {
                const int item = headerItemAt(h, lParam);
                setProp(h, "HDINDEX", item);
                PaintHeaderItem(h, 0, item, FacePressed);
            }
            break;
        case msg::kLButtonUp: {
            const int released = static_cast<int>(prop(h, "HDINDEX"));
            setProp(h, "HDINDEX", -1);
            // The released item looks as any item does under the pointer: hot while the
            // pointer is still on it, normal once it is elsewhere.
            const bool under =
                host_.windowUnderCursor() == h && headerItemAt(h, lParam) == released;
            PaintHeaderItem(h, 0, released, under ? FaceHover : FaceNormal);
            break;
        }
        case msg::kMouseMove: {
            if (prop(h, "MOUSEFLAG") == 0) {
                setProp(h, "MOUSEFLAG", 1);
                TrackLeave(h);
            }
            const int item = headerItemAt(h, lParam);
            const int hot = static_cast<int>(prop(h, "HMINDEX"));
            const int pressed = static_cast<int>(prop(h, "HDINDEX"));
            if (item == hot)
                break;
            if (hot >= 0 && hot != pressed)
                PaintHeaderItem(h, 0, hot, FaceNormal);
            if ((wParam & msg::kMkLButton) == 0) {
                setProp(h, "HMINDEX", item);
                PaintHeaderItem(h, 0, item, FaceHover);
            } else if (item == pressed) {
                PaintHeaderItem(h, 0, item, FacePressed);
            }
            break;
        }
        case msg::kMouseLeave: {
            const int hot = static_cast<int>(prop(h, "HMINDEX"));
            setProp(h, "MOUSEFLAG", 0);
            setProp(h, "HDINDEX", -1);
            setProp(h, "HMINDEX", -1);
            PaintHeaderItem(h, 0, hot, FaceNormal);
            break;
        }
        default:
            break;
    }
    return result;
}

std::intptr_t MSkinner::gridMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                    std::uintptr_t wParam, std::intptr_t lParam) {
    const std::intptr_t result = host_.callProcedure(saved, h, message, wParam, lParam);
    if (message == msg::kPaint && prop(h, "PROCADDR") && (host_.style(h) & msg::kWsBorder)) {
        const ScreenBox box = GetWindowBox(h);
        const Rgb border = host_.isEnabled(h) ? BorderColor : BorderColorDisabled;
        drawOnWindow(h, 0, 0, box.width(), box.height(), [&](Surface s, int x, int y) {
            FrameBox(s, x, y, box.width(), box.height(), border);
        });
    }
    return result;
}

}  // namespace sonorin
