// A menu entry: the form's window keeps its menu bar (FormWindow::rebuildMenuBar) and runs the
// chosen entries; the peer tells it when an entry changes.
#include "ui/control.h"
#include "win32/window_system/form_window.h"

namespace sonorin::win32 {
namespace {

class MenuPeer final : public ui::Peer {
  public:
    explicit MenuPeer(FormWindow& fw) : fw_(fw) {}
    void changed(ui::Property property) override {
        if (property == ui::Property::Caption || property == ui::Property::Enabled ||
            property == ui::Property::Visible || property == ui::Property::Value)
            fw_.rebuildMenuBar();
    }

  private:
    FormWindow& fw_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeMenuPeer(FormWindow& fw, ui::Control&) {
    return std::make_unique<MenuPeer>(fw);
}

}  // namespace sonorin::win32
