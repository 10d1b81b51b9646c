// A horizontal slider from 0 to the model's maximum; the user's drag comes back as its value.
#include "win32/window_system/child_peer.h"

#include <commctrl.h>

#include <algorithm>
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

constexpr COLORREF kBlue = RGB(0x1B, 0x8F, 0xD5), kChannel = RGB(0xCC, 0xE2, 0xF5),
                   kThumb = RGB(0xE7, 0xF3, 0xFB);

void fill(HDC dc, const RECT& r, COLORREF colour) {
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

class SliderPeer final : public ChildPeer {
  public:
    SliderPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), slider_(static_cast<ui::Slider&>(control)) {}

    void scrolled() override {
        Syncing guard(fw_, &slider_);
        slider_.setValue(msg::sliderPos(hwnd_));
    }

    // Drawn in the skin's blue and white: a thin channel, blue up to the thumb, and a flat
    // thumb with a blue edge.
    std::optional<LRESULT> customDraw(NMCUSTOMDRAW& draw) override {
        if (draw.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (draw.dwDrawStage != CDDS_ITEMPREPAINT)
            return CDRF_DODEFAULT;
        RECT thumb{};
        SendMessageW(hwnd_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        if (draw.dwItemSpec == TBCD_CHANNEL) {
            RECT r = draw.rc;
            const int middle = (r.top + r.bottom) / 2;
            r.top = middle - 2;
            r.bottom = middle + 2;
            RECT done = r, rest = r;
            done.right = rest.left =
                std::clamp<LONG>((thumb.left + thumb.right) / 2, r.left, r.right);
            fill(draw.hdc, done, kBlue);
            fill(draw.hdc, rest, kChannel);
            return CDRF_SKIPDEFAULT;
        }
        if (draw.dwItemSpec == TBCD_THUMB) {
            fill(draw.hdc, draw.rc, kBlue);
            RECT inner = draw.rc;
            InflateRect(&inner, -1, -1);
            fill(draw.hdc, inner, kThumb);
            return CDRF_SKIPDEFAULT;
        }
        return CDRF_DODEFAULT;
    }

    // The page's white around it: the volume slider lies over the radio pane.
    HBRUSH background(HDC dc) override {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return GetSysColorBrush(COLOR_WINDOW);
    }

  protected:
    void applyAll() override { apply(ui::Property::Range); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Range)
            msg::sliderSetMax(hwnd_, slider_.max());
        if (property == ui::Property::Range || property == ui::Property::Value)
            msg::sliderSetPos(hwnd_, slider_.value());
    }

  private:
    ui::Slider& slider_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeSliderPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<SliderPeer>(fw, control);
}

}  // namespace sonorin::win32
