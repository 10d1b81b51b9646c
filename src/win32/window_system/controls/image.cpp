// A picture: one of the program's icons in a static, or none.
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

constexpr int kAppIconId = 1;

class ImagePeer final : public ChildPeer {
  public:
    ImagePeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), image_(static_cast<ui::Image&>(control)) {}

  protected:
    void applyAll() override { applyPicture(); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Value)
            applyPicture();
    }

  private:
    void applyPicture() {
        // A resource icon is shared by the process: it is never destroyed.
        HICON icon = nullptr;
        if (image_.picture() == ui::Image::kAppIcon)
            icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIconId));
        msg::setIcon(hwnd_, icon);
    }

    ui::Image& image_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeImagePeer(FormWindow& fw, ui::Control& control) {
    return makeChild<ImagePeer>(fw, control);
}

}  // namespace sonorin::win32
