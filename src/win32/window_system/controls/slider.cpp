// A horizontal slider from 0 to the model's maximum; the user's drag comes back as its value.
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class SliderPeer final : public ChildPeer {
  public:
    SliderPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), slider_(static_cast<ui::Slider&>(control)) {}

    void scrolled() override {
        Syncing guard(fw_, &slider_);
        slider_.setValue(msg::sliderPos(hwnd_));
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
