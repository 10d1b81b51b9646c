// The system WebBrowser control embedded in a window: made, placed in place, fitted to the
// window's client area and torn down again, with its download events passed on to a pane.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <ole2.h>
#include <wrl/client.h>

#include <memory>
#include <string>

#include "ui/browser.h"
#include "win32/browser_site_win32.h"

namespace sonorin::win32 {

class WebBrowserControl {
  public:
    // Embeds a new control filling `window`, its download events going to `events`' handlers,
    // with script errors and the control's own dialogs hidden. Null when the control cannot be
    // made or embedded. OLE must be initialised on this thread for the control's lifetime.
    static std::unique_ptr<WebBrowserControl> create(HWND window, Browser& events);
    // Tears the control down; it must go before the window it is embedded in.
    ~WebBrowserControl();
    WebBrowserControl(const WebBrowserControl&) = delete;
    WebBrowserControl& operator=(const WebBrowserControl&) = delete;

    IWebBrowser2* browser() const { return browser_.Get(); }
    // Follows the window's client area.
    void fit();
    // Navigation errors are the control's business; the program is never told of them.
    void navigate(const std::string& address);
    void stop();
    void setSilent(bool silent);

  private:
    explicit WebBrowserControl(HWND window) : window_(window) {}
    bool embed();
    void listen(Browser& events);

    HWND window_;
    Microsoft::WRL::ComPtr<ContainerSite> site_;
    Microsoft::WRL::ComPtr<IOleObject> oleObject_;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlaceObject_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    Microsoft::WRL::ComPtr<EventSink> sink_;
    Microsoft::WRL::ComPtr<IConnectionPoint> connectionPoint_;
    DWORD adviseCookie_ = 0;
};

}  // namespace sonorin::win32
