// The radio pane: a browser pane of its own, made when first needed (DeferredBrowserPane),
// that the portable pane uses as its page engine while the window exists.
#include "ui/control.h"
#include "win32/deferred_browser_win32.h"
#include "win32/window_system/form_window.h"

namespace sonorin::win32 {
namespace {

class BrowserPanePeer final : public ui::Peer {
  public:
    BrowserPanePeer(FormWindow& fw, ui::WebBrowserPane& pane)
        : fw_(fw), pane_(pane), host_(fw.hwnd, fw.pixelRect(pane)) {
        host_.setVisible(pane_.shown());
        pane_.setEngine(&host_);
        ui::WebBrowserPane* portable = &pane_;
        fw.releaseControls.push_back([portable] { portable->setEngine(nullptr); });
        host_.onDownloadBegin = [portable] {
            if (portable->onDownloadBegin)
                portable->onDownloadBegin();
        };
        host_.onDownloadComplete = [portable] {
            if (portable->onDownloadComplete)
                portable->onDownloadComplete();
        };
    }
    // The pane goes before the window it lives in; the portable pane stopped using it first
    // (FormWindow::releaseControls).
    ~BrowserPanePeer() override = default;
    BrowserPanePeer(const BrowserPanePeer&) = delete;
    BrowserPanePeer& operator=(const BrowserPanePeer&) = delete;

    void changed(ui::Property property) override {
        if (property == ui::Property::Bounds)
            host_.setBounds(fw_.pixelRect(pane_));
        if (property == ui::Property::Visible)
            host_.setVisible(pane_.shown());
    }

  private:
    FormWindow& fw_;
    ui::WebBrowserPane& pane_;
    DeferredBrowserPane host_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeBrowserPanePeer(FormWindow& fw, ui::Control& control) {
    return std::make_unique<BrowserPanePeer>(fw, static_cast<ui::WebBrowserPane&>(control));
}

}  // namespace sonorin::win32
