// A command button: a click comes back as the button's click, unless it is disabled.
#include "win32/window_system/child_peer.h"

namespace sonorin::win32 {
namespace {

class ButtonPeer final : public ChildPeer {
  public:
    ButtonPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), button_(static_cast<ui::Button&>(control)) {}

    void command(UINT code) override {
        if (code == BN_CLICKED && button_.enabled())
            button_.click();
    }

  private:
    ui::Button& button_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeButtonPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<ButtonPeer>(fw, control);
}

}  // namespace sonorin::win32
