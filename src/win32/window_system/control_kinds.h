// The one table of control kinds: for each, the window class and styles of its child window
// and the factory of its peer. Adding a kind is a file with its peer (controls/) and a row.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/control.h"

namespace sonorin::win32 {

struct FormWindow;

// Where a child window lies among its siblings. Siblings clip each other, so that the one on
// top shows where they overlap: by default the earlier control, as in a dialog template.
enum class Stacking {
    InOrder,
    UnderControls,  // under every other control (drawn on its container's surface)
    Lowest,         // under the controls it holds, those of the kind above included
};

struct ControlKindRow {
    ui::ControlKind kind;
    // The system class of its child window (the window is made from our superclass of it where
    // there is one). Null for the kinds with no child window of their own, whose peers come
    // with the form's window; the others wait for its first show.
    const wchar_t* systemClass;
    DWORD style;  // besides WS_CHILD, WS_CLIPSIBLINGS, visibility, state and the peer's own
    DWORD exStyle;
    Stacking stacking;
    // Makes the peer, and its child window if the kind has one; null when that window could
    // not be made (reported already).
    std::unique_ptr<ui::Peer> (*makePeer)(FormWindow& fw, ui::Control& control);
};

// The row of a kind; null for a kind the window system does not know.
const ControlKindRow* controlKindRow(ui::ControlKind kind);

}  // namespace sonorin::win32
