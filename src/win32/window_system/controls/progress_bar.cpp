// A progress bar showing the model's value.
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class ProgressBarPeer final : public ChildPeer {
  public:
    ProgressBarPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), bar_(static_cast<ui::ProgressBar&>(control)) {}

  protected:
    void applyAll() override { msg::progressSetPos(hwnd_, bar_.value()); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Value)
            msg::progressSetPos(hwnd_, bar_.value());
    }

  private:
    ui::ProgressBar& bar_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeProgressBarPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<ProgressBarPeer>(fw, control);
}

}  // namespace sonorin::win32
