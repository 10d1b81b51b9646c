// A label: a static text, which reacts to the mouse only when the program handles its click or
// it has a tool tip (a static that does not take the mouse never shows its tip).
#include "win32/window_system/child_peer.h"

namespace sonorin::win32 {
namespace {

class LabelPeer final : public ChildPeer {
  public:
    LabelPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), label_(static_cast<ui::Label&>(control)) {}

    void command(UINT code) override {
        if (code == STN_CLICKED && label_.enabled())
            label_.click();
    }

  protected:
    DWORD ownStyle() const override {
        return label_.onClick || !label_.toolTip().empty() ? SS_NOTIFY : 0;
    }
    bool textWaitsWhileHidden() const override { return true; }

  private:
    ui::Label& label_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeLabelPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<LabelPeer>(fw, control);
}

}  // namespace sonorin::win32
