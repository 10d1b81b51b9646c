// An option button. The model keeps its group exclusive; the window shows the model's value,
// and the user's click comes back as the option's click.
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class OptionButtonPeer final : public ChildPeer {
  public:
    OptionButtonPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), option_(static_cast<ui::OptionButton&>(control)) {}

    void command(UINT code) override {
        if (code == BN_CLICKED && option_.enabled())
            option_.click();
    }

  protected:
    void applyAll() override { msg::setChecked(hwnd_, option_.value()); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Value)
            msg::setChecked(hwnd_, option_.value());
    }

  private:
    ui::OptionButton& option_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeOptionButtonPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<OptionButtonPeer>(fw, control);
}

}  // namespace sonorin::win32
