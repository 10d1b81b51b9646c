// A combo box: the model's items and text, and back the user's choice and typing.
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

constexpr double kListHeight = 3000;  // twips, about a dozen items

class ComboBoxPeer final : public ChildPeer {
  public:
    ComboBoxPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), combo_(static_cast<ui::ComboBox&>(control)) {}

    void command(UINT code) override {
        if (fw_.applying)
            return;
        if (code == CBN_SELCHANGE) {
            const int index = msg::comboCurrent(hwnd_);
            Syncing guard(fw_, &combo_);
            combo_.setListIndex(index);
        } else if (code == CBN_EDITCHANGE) {
            {
                Syncing guard(fw_, &combo_);
                combo_.setText(msg::text(hwnd_));
            }
            // A handler that refused part of what was typed has the last word.
            if (combo_.text() != msg::text(hwnd_)) {
                msg::setText(hwnd_, combo_.text());
                msg::comboDeselectText(hwnd_);
            }
        }
    }

  protected:
    DWORD ownStyle() const override {
        return combo_.style() == ui::ComboStyle::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
    }
    std::string initialText() const override { return combo_.text(); }
    // The window includes its dropped-down list; the height the model sets is the field's.
    RECT rect() const override {
        RECT r = ChildPeer::rect();
        r.bottom += fw_.px(kListHeight);
        return r;
    }
    void applyAll() override { applyItems(); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Items)
            applyItems();
        else if (property == ui::Property::Text)
            applyText();
    }

  private:
    void applyItems() {
        Applying guard(fw_);
        msg::comboClear(hwnd_);
        for (const std::string& item : combo_.items())
            msg::comboAddItem(hwnd_, item);
        applyText();
    }

    void applyText() {
        Applying guard(fw_);
        msg::comboSetCurrent(hwnd_, combo_.listIndex());
        if (combo_.style() == ui::ComboStyle::DropDownCombo && combo_.listIndex() < 0)
            msg::setText(hwnd_, combo_.text());
    }

    ui::ComboBox& combo_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeComboBoxPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<ComboBoxPeer>(fw, control);
}

}  // namespace sonorin::win32
