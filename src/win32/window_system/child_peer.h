// The native side of a control that is a child window of its form's window. The properties
// every control has are handled here; each kind's peer (controls/) adds its own, and answers
// the notifications its window sends to the form, which the form reflects to it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>

#include <memory>
#include <string>

#include "ui/control.h"
#include "win32/window_system/control_kinds.h"
#include "win32/window_system/form_window.h"

namespace sonorin::win32 {

class ChildPeer : public ui::Peer {
  public:
    ChildPeer(FormWindow& fw, ui::Control& control);
    ~ChildPeer() override;
    ChildPeer(const ChildPeer&) = delete;
    ChildPeer& operator=(const ChildPeer&) = delete;

    // Makes the child window as the kind's row says and gives it everything the model holds.
    // False when the system refused to make it; the failure is reported.
    bool create();
    HWND hwnd() const { return hwnd_; }
    Stacking stacking() const { return row_ ? row_->stacking : Stacking::InOrder; }

    void changed(ui::Property property) final;
    // The form's tip window has been made: the control's tip, if it has one, goes into it.
    void giveToolTip() { applyToolTip(); }

    // What the child window tells the form (WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_CTLCOLOR*),
    // reflected to its peer.
    virtual void command(UINT code) { (void)code; }
    virtual void notify(const NMHDR& header) { (void)header; }
    // NM_CUSTOMDRAW: what to answer, or nothing for the system's own drawing.
    virtual std::optional<LRESULT> customDraw(NMCUSTOMDRAW& draw) {
        (void)draw;
        return std::nullopt;
    }
    virtual void scrolled() {}
    // The brush for the child's background; null keeps the system's colours.
    virtual HBRUSH background(HDC dc) {
        (void)dc;
        return nullptr;
    }
    // The form's client area changed size.
    virtual void parentResized() {}

  protected:
    // Styles that depend on the control, added to the row's when the window is made.
    virtual DWORD ownStyle() const { return 0; }
    virtual std::string initialText() const { return control_.caption(); }
    // Where the window lies in the form's client area, in pixels.
    virtual RECT rect() const { return fw_.pixelRect(control_); }
    // Everything a freshly made window needs beyond its text, state, place and tool tip.
    virtual void applyAll() {}
    // A text nobody reads from the window itself: while the control is hidden its window
    // gets the text only when it shows.
    virtual bool textWaitsWhileHidden() const { return false; }
    // A change to a property of this kind.
    virtual void apply(ui::Property property) { (void)property; }
    virtual void applyBounds();
    void setStyleBit(DWORD bit, bool on);

    FormWindow& fw_;
    HWND hwnd_ = nullptr;

  private:
    void applyToolTip();

    ui::Control& control_;
    const ControlKindRow* row_ = nullptr;
    bool textWaiting_ = false;
};

// The factory of a kind's row: the peer and its window, or null when the window was not made.
template <typename Peer>
std::unique_ptr<ui::Peer> makeChild(FormWindow& fw, ui::Control& control) {
    auto peer = std::make_unique<Peer>(fw, control);
    if (!peer->create())
        return nullptr;
    return peer;
}

}  // namespace sonorin::win32
