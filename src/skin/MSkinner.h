// The skin engine: attaches itself to a form and every window the form opens, recognises each
// by its window class, takes over its window procedure and paints the control kinds it knows.
// Everything it keeps per window lives in that window's property list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "skin/skin_host.h"
#include "skin/skin_images.h"
#include "skin/skin_kind.h"

namespace sonorin {

class MSkinner : public SkinDispatcher {
  public:
    explicit MSkinner(SkinHost& host);
    ~MSkinner() override;
    MSkinner(const MSkinner&) = delete;
    MSkinner& operator=(const MSkinner&) = delete;

    // The forms' two calls: 1 when this call attached (detached) the window, else 0.
    int SkinForm(Hwnd form);
    int UnskinForm(Hwnd form);

    int AttachSkin(Hwnd h);
    // Attaches the descendants of a skinned form that were made after it was skinned; the
    // number newly attached (0 for a form that is not skinned).
    int AttachChildren(Hwnd form);
    int DetachSkin(Hwnd h);
    std::intptr_t SkinWindowProc(Hwnd h, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam) override;

    bool SkinReady() const { return ready_; }
    bool HasTrackMouse() const { return hasTrackMouse_; }
    int SkinnedCount() const { return count_; }
    Surface image(skin::SkinImage which) const { return images_[static_cast<int>(which)].surface; }

    std::string GetWindowClass(Hwnd h) { return host_.className(h); }
    skin::SkinKind kindOf(Hwnd h) { return skin::classifyWindowClass(host_.className(h)); }
    void StartFade(Hwnd h);
    void StopFade(Hwnd h);
    void TrackLeave(Hwnd h);
    void RefreshCheckGroup(Hwnd h);

    // Drawing primitives on memory surfaces.
    struct OwnedSurface {
        Surface surface = 0;
        Bitmap bitmap = 0;
    };
    OwnedSurface CreateSurface(int width, int height);
    void ReleaseSurface(OwnedSurface& s);
    void DrawNineGrid(Surface dst, int dx, int dy, int dw, int dh, Surface src, int sx, int sy,
                      int sw, int sh, int left, int top, int right, int bottom);
    void DrawNineGrid(Surface dst, int dx, int dy, int dw, int dh, Surface src, int sx, int sy,
                      int sw, int sh, int left, int top, int right, int bottom, Rgb key);
    void DrawTransparent(Surface dst, int dx, int dy, int w, int h, Surface src, int sx, int sy,
                         Rgb key);
    void FillBox(Surface s, int x, int y, int w, int h, Rgb colour);
    void FrameBox(Surface s, int x, int y, int w, int h, Rgb colour);
    void DrawCaption(Surface s, Hwnd fontOf, const std::string& text, int x, int y, int w, int h,
                     unsigned flags, Rgb colour);
    void DrawFocusBox(Surface s, int x, int y, int w, int h);
    ScreenBox GetWindowBox(Hwnd h) { return host_.windowBox(h); }
    void GetBorderSize(Hwnd h, int& bx, int& by);
    std::string GetWindowCaption(Hwnd h) { return host_.windowText(h); }

    // Command buttons: draws the faces in `which` (bit n: face n) with the current caption.
    // "STALEFACES" holds the faces (same bits) not drawn since the button was made or
    // changed; each is drawn when it is next shown.
    static constexpr unsigned kAllFaces = 0xF;
    void RenderButtonFaces(Hwnd h, unsigned which);
    void PaintButton(Hwnd h, Surface target);

    // Check boxes and option buttons: the box at the control's left edge, in FaceState
    // `state`; nothing happens when that state is already shown unless `force` is set.
    void PaintCheckBox(Hwnd h, int state, bool force = false);
    void PaintOptionButton(Hwnd h, int state, bool force = false);

    // The drop button of a combo box or drive list, onto `target` (0: the whole window).
    void PaintComboButton(Hwnd h, Surface target, int state, bool force = false);

    // One list-header item in state 0 normal, 1 hot, 2 pressed, onto `target` (0: the
    // whole header).
    void PaintHeaderItem(Hwnd h, Surface target, int index, int state);

  private:
    void BuildSkinImages();
    void ReleaseSkinImages();
    void onActivate(Hwnd h, std::intptr_t other);
    void repaintAtOnce(Hwnd h);
    void setUpButton(Hwnd h);
    void releaseButton(Hwnd h);
    void resizeButtonFaces(Hwnd h);
    Surface faceSurface(Hwnd h, int n);
    std::intptr_t buttonMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                std::uintptr_t wParam, std::intptr_t lParam);
    void pressButton(Hwnd h);
    void showFaceNow(Hwnd h);
    std::intptr_t keepOwnerDrawn(Hwnd h, std::intptr_t saved, std::uintptr_t wParam,
                                 std::intptr_t lParam);
    std::intptr_t kindMessage(Hwnd h, std::intptr_t saved, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam);
    std::intptr_t checkMessage(Hwnd h, std::intptr_t saved, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam);
    std::intptr_t comboMessage(Hwnd h, std::intptr_t saved, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam);
    std::intptr_t listMessage(Hwnd h, std::intptr_t saved, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam);
    std::intptr_t barMessage(Hwnd h, std::intptr_t saved, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam);
    std::intptr_t headerMessage(Hwnd h, std::intptr_t saved, unsigned message,
                                std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t gridMessage(Hwnd h, std::intptr_t saved, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam);
    std::intptr_t flatBorder(Hwnd h, std::intptr_t saved, std::uintptr_t wParam,
                             std::intptr_t lParam);
    // The blue frame and the white line inside it, on the whole window.
    void frameOfBox(Hwnd h);
    void paintBar(Hwnd h, bool wholeWindow);
    int headerItemAt(Hwnd h, std::intptr_t lParam);
    // Runs `draw(surface, x, y)` for the w x h area at (x, y) of any surface: straight on a
    // memory surface, else on a scratch copy of that area that is copied back afterwards.
    void drawOn(Surface target, int x, int y, int w, int h,
                const std::function<void(Surface, int, int)>& draw);
    // The same on the whole-window surface of h, which is released afterwards.
    void drawOnWindow(Hwnd h, int x, int y, int w, int hgt,
                      const std::function<void(Surface, int, int)>& draw);
    // A length of the skin's images (made for 96 dpi) at the window's DPI.
    int scaled(Hwnd h, int pixels);
    std::intptr_t prop(Hwnd h, const char* name) { return host_.getProp(h, name); }
    void setProp(Hwnd h, const char* name, std::intptr_t value) { host_.setProp(h, name, value); }

    SkinHost& host_;
    bool ready_ = false;
    bool hasTrackMouse_ = false;
    int count_ = 0;
    OwnedSurface images_[skin::kSkinImageCount];
};

}  // namespace sonorin
