#include "skin/MSkinner.h"

#include "skin/pixels.h"
#include "skin/skin_messages.h"

namespace sonorin {

using namespace skin;

MSkinner::MSkinner(SkinHost& host) : host_(host) {
    host_.bind(this);
}

MSkinner::~MSkinner() {
    host_.bind(nullptr);
    ReleaseSkinImages();
}

int MSkinner::SkinForm(Hwnd form) {
    if (!ready_) {
        ready_ = true;
        hasTrackMouse_ = host_.apiAvailable("TrackMouseEvent", "User32");
        BuildSkinImages();
    }
    return AttachSkin(form);
}

int MSkinner::UnskinForm(Hwnd form) {
    return DetachSkin(form);
}

int MSkinner::AttachSkin(Hwnd h) {
    if (!h || prop(h, "PROCADDR"))
        return 0;
    // A window we cannot take over (one of another process) is left exactly as it was. The
    // saved procedure is in place before the set-up, whose messages must reach it.
    const std::intptr_t previous = host_.subclass(h);
    if (!previous)
        return 0;
    setProp(h, "PROCADDR", previous);
    switch (kindOf(h)) {
        case SkinKind::Form:
            for (Hwnd child : host_.descendants(h))
                AttachSkin(child);
            break;
        case SkinKind::CommandButton:
            setUpButton(h);
            break;
        case SkinKind::ComboBox:
        case SkinKind::DriveList:
        case SkinKind::CheckBox:
        case SkinKind::OptionButton:
            setProp(h, "MOUSEFLAG", 0);
            setProp(h, "OLDSTATE", 0);
            break;
        case SkinKind::Header:
            setProp(h, "MOUSEFLAG", 0);
            setProp(h, "HDINDEX", -1);
            setProp(h, "HMINDEX", -1);
            break;
        default:
            break;
    }
    ++count_;
    repaintAtOnce(h);
    return 1;
}

// A changed look shows at once where the window is on screen. One that is not (a form still
// loading, or the controls made just before their form first appears) is painted whole, frame
// included, when it appears; painting it now would be thrown away, and under Wine each such
// paint costs a dozen wineserver calls at every window's first show.
void MSkinner::repaintAtOnce(Hwnd h) {
    if (!host_.isShown(h))
        return;
    host_.send(h, msg::kNcPaint, 1, 0);
    host_.invalidate(h);
}

int MSkinner::AttachChildren(Hwnd form) {
    if (!form || !prop(form, "PROCADDR"))
        return 0;
    int attached = 0;
    for (Hwnd child : host_.descendants(form))
        attached += AttachSkin(child);
    return attached;
}

int MSkinner::DetachSkin(Hwnd h) {
    if (!h)
        return 0;
    const std::intptr_t saved = prop(h, "PROCADDR");
    if (!saved)
        return 0;
    switch (kindOf(h)) {
        case SkinKind::Form:
            for (Hwnd child : host_.descendants(h))
                DetachSkin(child);
            break;
        case SkinKind::CommandButton:
            releaseButton(h);
            break;
        case SkinKind::ComboBox:
        case SkinKind::DriveList:
        case SkinKind::CheckBox:
        case SkinKind::OptionButton:
            host_.removeProp(h, "MOUSEFLAG");
            host_.removeProp(h, "OLDSTATE");
            break;
        case SkinKind::Header:
            host_.removeProp(h, "MOUSEFLAG");
            host_.removeProp(h, "HDINDEX");
            host_.removeProp(h, "HMINDEX");
            break;
        default:
            break;
    }
    host_.removeProp(h, "PROCADDR");
    host_.restoreProcedure(h, saved);
    repaintAtOnce(h);
    if (--count_ <= 0) {
        count_ = 0;
        ReleaseSkinImages();
        ready_ = false;
    }
    return 1;
}

std::intptr_t MSkinner::SkinWindowProc(Hwnd h, unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
    if (!h)
        return 0;
    const std::intptr_t saved = prop(h, "PROCADDR");
    if (!saved)
        return host_.defaultProcedure(h, message, wParam, lParam);
    auto pass = [&] { return host_.callProcedure(saved, h, message, wParam, lParam); };
    switch (message) {
        case msg::kDestroy:
            DetachSkin(h);
            return pass();
        case msg::kActivate:
            onActivate(h, lParam);
            return pass();
        case msg::kEnterIdle:
        case msg::kCtlColorListBox: {
            const std::intptr_t result = pass();
            if (lParam)
                AttachSkin(static_cast<Hwnd>(lParam));
            return result;
        }
        case msg::kLButtonUp: {
            const std::intptr_t result = kindMessage(h, saved, message, wParam, lParam);
            if (!prop(h, "PROCADDR"))
                return result;  // gone with its form
            Hwnd group = host_.parentOrOwner(h);
            for (Hwnd member : host_.descendants(group ? group : h))
                RefreshCheckGroup(member);
            return result;
        }
        // A new caption or font changes what the faces show; the control's own handling of
        // them paints past the engine.
        case msg::kSetText:
        case msg::kSetFont:
            switch (kindOf(h)) {
                case SkinKind::CommandButton:
                case SkinKind::CheckBox:
                case SkinKind::OptionButton:
                    return kindMessage(h, saved, message, wParam, lParam);
                default:
                    return pass();
            }
        case msg::kBmSetStyle:
            if (kindOf(h) == SkinKind::CommandButton)
                return keepOwnerDrawn(h, saved, wParam, lParam);
            return pass();
        case msg::kNcPaint:
            switch (kindOf(h)) {
                case SkinKind::ProgressBar:
                    return barMessage(h, saved, message, wParam, lParam);
                case SkinKind::DataList:
                    return pass();
                default:
                    return flatBorder(h, saved, wParam, lParam);
            }
        case msg::kSize:
        case msg::kSetFocus:
        case msg::kKillFocus:
        case msg::kEnable:
        case msg::kPaint:
        case msg::kKeyDown:
        case msg::kKeyUp:
        case msg::kTimer:
        case msg::kMouseMove:
        case msg::kLButtonDown:
        case msg::kLButtonDblClk:
        case msg::kMouseLeave:
        case msg::kWindowPosChanging:
            return kindMessage(h, saved, message, wParam, lParam);
        default:
            return pass();
    }
}

std::intptr_t MSkinner::kindMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                    std::uintptr_t wParam, std::intptr_t lParam) {
    switch (kindOf(h)) {
        case SkinKind::CommandButton:
            if (message != msg::kWindowPosChanging)
                return buttonMessage(h, saved, message, wParam, lParam);
            break;
        case SkinKind::CheckBox:
        case SkinKind::OptionButton:
            return checkMessage(h, saved, message, wParam, lParam);
        case SkinKind::ComboBox:
        case SkinKind::DriveList:
            return comboMessage(h, saved, message, wParam, lParam);
        case SkinKind::DropList:
        case SkinKind::DataList:
            return listMessage(h, saved, message, wParam, lParam);
        case SkinKind::ProgressBar:
            return barMessage(h, saved, message, wParam, lParam);
        case SkinKind::Header:
            return headerMessage(h, saved, message, wParam, lParam);
        case SkinKind::Grid:
            return gridMessage(h, saved, message, wParam, lParam);
        default:
            break;
    }
    return host_.callProcedure(saved, h, message, wParam, lParam);
}

void MSkinner::onActivate(Hwnd h, std::intptr_t other) {
    if (!other)
        return;
    const Hwnd window = static_cast<Hwnd>(other);
    if (host_.parentOrOwner(window) == h || kindOf(window) == SkinKind::Form)
        AttachSkin(window);
}

void MSkinner::StartFade(Hwnd h) {
    if (prop(h, "TIMERID") == 0)
        setProp(
            h, "TIMERID",
            static_cast<std::intptr_t>(host_.setTimer(h, msg::kFadeTimerId, msg::kFadePeriodMs)));
}

void MSkinner::StopFade(Hwnd h) {
    const std::intptr_t id = prop(h, "TIMERID");
    if (id != 0) {
        host_.killTimer(h, static_cast<std::uintptr_t>(id));
        setProp(h, "TIMERID", 0);
    }
}

void MSkinner::TrackLeave(Hwnd h) {
    host_.trackLeave(h, hasTrackMouse_);
}

void MSkinner::RefreshCheckGroup(Hwnd h) {
    if (!prop(h, "PROCADDR"))
        return;
    const SkinKind kind = kindOf(h);
    if (kind == SkinKind::CheckBox)
        PaintCheckBox(h, FaceNormal, true);
    else if (kind == SkinKind::OptionButton)
        PaintOptionButton(h, FaceNormal, true);
}

int MSkinner::scaled(Hwnd h, int pixels) {
    const int dpi = host_.dpi(h);
    return dpi > 0 ? roundHalfEven(pixels * dpi / 96.0) : pixels;
}

void MSkinner::drawOn(Surface target, int x, int y, int w, int h,
                      const std::function<void(Surface, int, int)>& draw) {
    if (!target || w <= 0 || h <= 0)
        return;
    if (host_.pixels(target)) {
        draw(target, x, y);
        return;
    }
    // A window or paint surface has no pixels of ours: the area goes through a scratch copy,
    // so that keyed and framed drawing leaves what lies around it as it was.
    OwnedSurface scratch = CreateSurface(w, h);
    if (!scratch.surface)
        return;
    host_.copySurface(scratch.surface, 0, 0, w, h, target, x, y);
    draw(scratch.surface, 0, 0);
    host_.copySurface(target, x, y, w, h, scratch.surface, 0, 0);
    ReleaseSurface(scratch);
}

void MSkinner::drawOnWindow(Hwnd h, int x, int y, int w, int hgt,
                            const std::function<void(Surface, int, int)>& draw) {
    const Surface window = host_.windowSurface(h);
    if (!window)
        return;
    drawOn(window, x, y, w, hgt, draw);
    host_.releaseWindowSurface(h, window);
}

// --- images and primitives -------------------------------------------------------------------

void MSkinner::BuildSkinImages() {
    ReleaseSkinImages();
    for (int i = 0; i < kSkinImageCount; ++i) {
        images_[i] = CreateSurface(kImageSizes[i].width, kImageSizes[i].height);
        paintSkinImage(static_cast<SkinImage>(i), host_.pixels(images_[i].surface));
    }
}

void MSkinner::ReleaseSkinImages() {
    for (OwnedSurface& image : images_)
        ReleaseSurface(image);
}

MSkinner::OwnedSurface MSkinner::CreateSurface(int width, int height) {
    OwnedSurface s;
    if (width <= 0 || height <= 0)
        return s;
    s.surface = host_.createSurface();
    s.bitmap = s.surface ? host_.createBitmap(width, height) : 0;
    if (!s.bitmap) {
        ReleaseSurface(s);
        return s;
    }
    host_.selectBitmap(s.surface, s.bitmap);
    return s;
}

void MSkinner::ReleaseSurface(OwnedSurface& s) {
    // The surface goes first: a bitmap still selected into one cannot be released.
    if (s.surface)
        host_.deleteSurface(s.surface);
    if (s.bitmap)
        host_.deleteBitmap(s.bitmap);
    s = {};
}

void MSkinner::DrawNineGrid(Surface dst, int dx, int dy, int dw, int dh, Surface src, int sx,
                            int sy, int sw, int sh, int left, int top, int right, int bottom) {
    skin::DrawNineGrid(host_.pixels(dst), dx, dy, dw, dh, host_.pixels(src), sx, sy, sw, sh, left,
                       top, right, bottom);
}

void MSkinner::DrawNineGrid(Surface dst, int dx, int dy, int dw, int dh, Surface src, int sx,
                            int sy, int sw, int sh, int left, int top, int right, int bottom,
                            Rgb key) {
    skin::DrawNineGrid(host_.pixels(dst), dx, dy, dw, dh, host_.pixels(src), sx, sy, sw, sh, left,
                       top, right, bottom, key);
}

void MSkinner::DrawTransparent(Surface dst, int dx, int dy, int w, int h, Surface src, int sx,
                               int sy, Rgb key) {
    skin::DrawTransparent(host_.pixels(dst), dx, dy, w, h, host_.pixels(src), sx, sy, key);
}

void MSkinner::FillBox(Surface s, int x, int y, int w, int h, Rgb colour) {
    skin::FillBox(host_.pixels(s), x, y, w, h, colour);
}

void MSkinner::FrameBox(Surface s, int x, int y, int w, int h, Rgb colour) {
    skin::FrameBox(host_.pixels(s), x, y, w, h, colour);
}

void MSkinner::DrawCaption(Surface s, Hwnd fontOf, const std::string& text, int x, int y, int w,
                           int h, unsigned flags, Rgb colour) {
    if (s && w > 0 && h > 0)
        host_.drawCaption(s, fontOf, text, x, y, w, h, flags, colour);
}

void MSkinner::DrawFocusBox(Surface s, int x, int y, int w, int h) {
    if (s && w > 0 && h > 0)
        host_.drawFocusBox(s, x, y, w, h);
}

void MSkinner::GetBorderSize(Hwnd h, int& bx, int& by) {
    const ScreenBox outer = host_.windowBox(h), inner = host_.clientBox(h);
    const std::uint32_t style = host_.style(h);
    const int vscroll = (style & msg::kWsVScroll) ? host_.systemMetric(msg::kSmCxVScroll) : 0;
    const int hscroll = (style & msg::kWsHScroll) ? host_.systemMetric(msg::kSmCyHScroll) : 0;
    bx = roundHalfEven((outer.width() - inner.width() - vscroll) / 2.0);
    by = roundHalfEven((outer.height() - inner.height() - hscroll) / 2.0);
}

}  // namespace sonorin
