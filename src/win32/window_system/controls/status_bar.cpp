// A status bar: it lies along the form's bottom edge wherever the model puts it, in panels
// whose widths the model gives in twips (the last runs to the end); a text cut off shows whole
// in its tool tip.
#include <vector>

#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class StatusBarPeer final : public ChildPeer {
  public:
    StatusBarPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), bar_(static_cast<ui::StatusBar&>(control)) {}

    void parentResized() override { msg::statusFollowParent(hwnd_); }

  protected:
    void applyAll() override { applyPanels(); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Panels)
            applyPanels();
    }
    // The panels' pixels change with the window's DPI.
    void applyBounds() override {
        msg::statusFollowParent(hwnd_);
        applyPanels();
    }

  private:
    void applyPanels() {
        std::vector<int> edges;
        int right = 0;
        for (int i = 1; i <= bar_.panelCount(); ++i) {
            right += fw_.px(bar_.panel(i).width);
            edges.push_back(i == bar_.panelCount() ? -1 : right);
        }
        msg::statusSetParts(hwnd_, edges);
        // A text wider than its panel (the window's width is fixed) shows whole in the
        // panel's tool tip, on one line.
        for (int i = 1; i <= bar_.panelCount(); ++i) {
            const std::string& text = bar_.panel(i).text;
            msg::statusSetText(hwnd_, i - 1, text);
            std::string tip = text;
            for (char& c : tip) {
                if (c == '\r' || c == '\n')
                    c = ' ';
            }
            msg::statusSetTipText(hwnd_, i - 1, tip);
        }
    }

    ui::StatusBar& bar_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeStatusBarPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<StatusBarPeer>(fw, control);
}

}  // namespace sonorin::win32
