// A second start of the program hands over to the copy already running: that copy's window
// comes to the front, out of the tray if it waits there, and the second start ends.
#pragma once

namespace sonorin::win32 {

// Brings the running copy's window to the front; false when no copy shows a window within a
// few seconds (one that is just ending), and this start should go on.
bool showRunningCopy();

}  // namespace sonorin::win32
