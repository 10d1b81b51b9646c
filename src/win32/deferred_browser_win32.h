// The radio pane, made when it is first needed. Creating the WebBrowser control loads OLE and
// the whole HTML engine; a pane that never navigates (the main window of an offline start)
// never pays for it, and the first navigation of a window not yet on the screen waits until
// the window has shown and painted, so the engine loads behind a visible window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "win32/browser_win32.h"

namespace sonorin {

class DeferredBrowserPane final : public Win32BrowserPane {
  public:
    // `create` makes the real pane as a child of `parent`; it is called at most once.
    using Factory = std::function<std::unique_ptr<Win32BrowserPane>(HWND, RECT)>;
    DeferredBrowserPane(HWND parent, RECT boundsInPixels, Factory create = createWebBrowserPane);
    ~DeferredBrowserPane() override;
    DeferredBrowserPane(const DeferredBrowserPane&) = delete;
    DeferredBrowserPane& operator=(const DeferredBrowserPane&) = delete;

    void navigate(const std::string& address) override;
    void stop() override;
    void setSilent(bool silent) override;
    // With no page yet there are no links and no text: asking does not make the pane.
    int linkCount() override;
    std::string linkText(int index) override;
    void clickLink(int index) override;
    // Nothing to show again before the first page.
    void refresh() override;
    std::string documentText() override;

    void setBounds(RECT boundsInPixels) override;
    void setVisible(bool visible) override;
    HWND hwnd() const override;
    bool hasControl() const override;
    bool usesStandIn() const override { return pane_ && pane_->usesStandIn(); }

    // Whether the real pane exists yet.
    bool made() const { return static_cast<bool>(pane_); }

  private:
    static void CALLBACK whenIdle(HWND window, UINT message, UINT_PTR id, DWORD time);
    void make();
    UINT_PTR timerId() const { return reinterpret_cast<UINT_PTR>(this); }

    HWND parent_;
    RECT bounds_;
    Factory create_;
    bool visible_ = true;
    bool silent_ = true;
    bool waiting_ = false;  // a navigation waits for the parent to show
    std::string pendingAddress_;
    std::unique_ptr<Win32BrowserPane> pane_;
};

}  // namespace sonorin
