// The radio pane on Windows: the system WebBrowser control (IWebBrowser2) hosted in a child
// window by a small hand-written OLE container.
//
// The pane never fails loudly. When the control cannot be created, or it shows no document
// even for an empty page (as under Wine without Gecko), the pane drops it and uses a stand-in
// of its own (fallback_pane_win32.h) that offers the same operations and events. Until the
// first page is there the pane has no links and empty text.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/browser.h"

namespace sonorin {

class Win32BrowserPane : public Browser {
  public:
    // Position and size in the parent's client coordinates, in pixels.
    virtual void setBounds(RECT boundsInPixels) = 0;
    virtual void setVisible(bool visible) = 0;
    // The child window that holds the control; null when it could not be created. It is
    // destroyed with the pane, or earlier together with its parent.
    virtual HWND hwnd() const = 0;
    // Whether the WebBrowser control itself was created and is still hosted.
    virtual bool hasControl() const = 0;
    // Whether the pane shows its pages through its own stand-in instead of the control.
    virtual bool usesStandIn() const = 0;
};

// Creates the pane as a visible child of `parent`. Always returns a pane; see above for what
// it does when the control is not available. Must be called on the user-interface thread,
// which must not have entered a multithreaded COM apartment. OLE is initialised for the
// pane's lifetime (balanced, so a caller that initialised OLE itself is not disturbed).
// Where the control would have no HTML engine (Wine without its Gecko package, installed or
// at hand to install), the pane is the stand-in from the start and the control's libraries
// are never loaded.
std::unique_ptr<Win32BrowserPane> createWebBrowserPane(HWND parent, RECT boundsInPixels);
// The same, trying the control wherever it can be made.
std::unique_ptr<Win32BrowserPane> createWebBrowserControlPane(HWND parent, RECT boundsInPixels);
// Whether this is Wine without an HTML engine for the control.
bool htmlEngineMissing();

}  // namespace sonorin
