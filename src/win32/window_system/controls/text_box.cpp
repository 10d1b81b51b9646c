// A single-line text field: the model's text, and back what the user types.
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class TextBoxPeer final : public ChildPeer {
  public:
    TextBoxPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), box_(static_cast<ui::TextBox&>(control)) {}

    void command(UINT code) override {
        if (code != EN_CHANGE || fw_.applying)
            return;
        Syncing guard(fw_, &box_);
        box_.setText(msg::text(hwnd_));
    }

  protected:
    std::string initialText() const override { return box_.text(); }
    void applyAll() override { applyStyle(); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Text) {
            Applying guard(fw_);
            msg::setText(hwnd_, box_.text());
        } else if (property == ui::Property::Style) {
            applyStyle();
        }
    }

  private:
    void applyStyle() { setStyleBit(ES_NUMBER, box_.digitsOnly()); }

    ui::TextBox& box_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeTextBoxPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<TextBoxPeer>(fw, control);
}

}  // namespace sonorin::win32
