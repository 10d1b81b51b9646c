#include "win32/window_system/control_kinds.h"

#include <commctrl.h>

#include "win32/window_system/child_peer.h"

namespace sonorin::win32 {

// The peers, one file each in controls/.
std::unique_ptr<ui::Peer> makeButtonPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeLabelPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeImagePeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeOptionButtonPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeStatusBarPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeSliderPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeProgressBarPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeComboBoxPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeTextBoxPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeListViewPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeDateTimePickerPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeTimerPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeMenuPeer(FormWindow&, ui::Control&);
std::unique_ptr<ui::Peer> makeBrowserPanePeer(FormWindow&, ui::Control&);

namespace {

using ui::ControlKind;
constexpr DWORD kTab = WS_TABSTOP;

const ControlKindRow kRows[] = {
    {ControlKind::Button, L"BUTTON", BS_PUSHBUTTON | BS_MULTILINE | kTab, 0, Stacking::InOrder,
     makeButtonPeer},
    {ControlKind::Label, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, Stacking::UnderControls,
     makeLabelPeer},
    {ControlKind::Image, L"STATIC", SS_ICON | SS_CENTERIMAGE, 0, Stacking::InOrder, makeImagePeer},
    // A frame only holds other controls: the common peer is all it needs.
    {ControlKind::Frame, L"BUTTON", BS_GROUPBOX, 0, Stacking::Lowest, makeChild<ChildPeer>},
    {ControlKind::OptionButton, L"BUTTON", BS_RADIOBUTTON | kTab, 0, Stacking::InOrder,
     makeOptionButtonPeer},
    {ControlKind::StatusBar, STATUSCLASSNAMEW, CCS_BOTTOM | SBARS_TOOLTIPS, 0, Stacking::InOrder,
     makeStatusBarPeer},
    {ControlKind::Slider, TRACKBAR_CLASSW, TBS_HORZ | TBS_NOTICKS | kTab, 0, Stacking::InOrder,
     makeSliderPeer},
    {ControlKind::ProgressBar, PROGRESS_CLASSW, 0, 0, Stacking::InOrder, makeProgressBarPeer},
    {ControlKind::ComboBox, L"COMBOBOX", kTab | WS_VSCROLL | CBS_AUTOHSCROLL, 0, Stacking::InOrder,
     makeComboBoxPeer},
    {ControlKind::TextBox, L"EDIT", kTab | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, Stacking::InOrder,
     makeTextBoxPeer},
    {ControlKind::ListView, WC_LISTVIEWW, kTab | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
     Stacking::InOrder, makeListViewPeer},
    {ControlKind::DateTimePicker, DATETIMEPICK_CLASSW, kTab, 0, Stacking::InOrder,
     makeDateTimePickerPeer},
    // With the form's window, no child window of their own.
    {ControlKind::Timer, nullptr, 0, 0, Stacking::InOrder, makeTimerPeer},
    {ControlKind::Menu, nullptr, 0, 0, Stacking::InOrder, makeMenuPeer},
    {ControlKind::WebBrowser, nullptr, 0, 0, Stacking::InOrder, makeBrowserPanePeer},
};

}  // namespace

const ControlKindRow* controlKindRow(ui::ControlKind kind) {
    for (const ControlKindRow& row : kRows)
        if (row.kind == kind)
            return &row;
    return nullptr;
}

}  // namespace sonorin::win32
