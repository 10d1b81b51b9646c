#include "win32/window_system/child_peer.h"

#include <commctrl.h>

#include "ui/form.h"
#include "win32/control_classes_win32.h"
#include "win32/window_system/control_messages.h"
#include "win32/window_system_win32.h"

namespace sonorin::win32 {

ChildPeer::ChildPeer(FormWindow& fw, ui::Control& control) : fw_(fw), control_(control) {}

ChildPeer::~ChildPeer() {
    if (hwnd_)
        fw_.children.erase(hwnd_);
}

bool ChildPeer::create() {
    row_ = controlKindRow(control_.kind());
    if (!row_ || !row_->systemClass)
        return false;
    const UINT id = fw_.nextChildId++;
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (control_.shown() ? WS_VISIBLE : 0) |
                        (control_.usable() ? 0 : WS_DISABLED) | row_->style | ownStyle();
    const RECT r = rect();
    hwnd_ = CreateWindowExW(row_->exStyle, controlClassName(control_.kind(), row_->systemClass),
                            wide(initialText()).c_str(), style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, fw_.hwnd,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) {
        const DWORD error = GetLastError();
        fw_.system.reportFault("the window of control " + control_.form().name() + "." +
                               control_.name() + " could not be made (error " +
                               std::to_string(error) + ")");
        return false;
    }
    msg::setFont(hwnd_, fw_.system.fontFor(fw_.dpi));
    fw_.children[hwnd_] = this;
    applyAll();
    if (!control_.toolTip().empty())
        applyToolTip();
    return true;
}

void ChildPeer::changed(ui::Property property) {
    if (fw_.syncing == &control_)
        return;
    switch (property) {
        case ui::Property::Caption:
            // Under Wine each new text is a wineserver round trip; the main window's hidden
            // countdown label counts on every 300 ms for as long as the program runs.
            textWaiting_ = textWaitsWhileHidden() && !control_.shown();
            if (!textWaiting_)
                msg::setText(hwnd_, control_.caption());
            break;
        case ui::Property::Enabled:
            EnableWindow(hwnd_, control_.usable());
            break;
        case ui::Property::Visible:
            if (textWaiting_ && control_.shown()) {
                msg::setText(hwnd_, control_.caption());
                textWaiting_ = false;
            }
            ShowWindow(hwnd_, control_.shown() ? SW_SHOWNA : SW_HIDE);
            break;
        case ui::Property::Bounds:
            applyBounds();
            break;
        case ui::Property::ToolTip:
            applyToolTip();
            break;
        default:
            apply(property);
            break;
    }
}

// A moved control paints itself anew. The bits the system would copy along with it are only
// those it had drawn where no sibling covered it, and a layout moves several controls one after
// the other: the copied picture kept holes (the offline window's notice lost a character after
// "还原").
void ChildPeer::applyBounds() {
    const RECT r = rect();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void ChildPeer::setStyleBit(DWORD bit, bool on) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, on ? (style | bit) : (style & ~static_cast<LONG_PTR>(bit)));
}

void ChildPeer::applyToolTip() {
    std::wstring text = wide(control_.toolTip());
    const HWND tip = fw_.toolTip;
    if (!tip) {
        // The tip window is made when the pointer first comes; it then takes every tip.
        if (!text.empty())
            fw_.toolTipsWaiting = true;
        return;
    }
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    // No TTF_SUBCLASS: the message loops relay the pointer messages (relayToToolTip).
    // Subclassing put a property look-up, a wineserver round trip under Wine, in front of
    // every message each of these controls receives.
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = fw_.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = text.data();
    msg::toolTipRemove(tip, tool);
    if (!text.empty())
        msg::toolTipAdd(tip, tool);
}

}  // namespace sonorin::win32
