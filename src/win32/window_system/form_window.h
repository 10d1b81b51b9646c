// Native state of one form: its window, the peers of its controls, its menus and tool tips;
// and the window procedure that turns the window's messages into the model's events.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ui/control.h"
#include "win32/dpi_win32.h"
#include "win32/scoped_win.h"
#include "win32/window_system/thumb_buttons.h"

namespace sonorin::ui {
class Form;
}  // namespace sonorin::ui

namespace sonorin::win32 {

class Win32WindowSystem;
class ChildPeer;

struct FormWindow {
    FormWindow(Win32WindowSystem& s, ui::Form& f);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    Win32WindowSystem& system;
    ui::Form& form;
    HWND hwnd = nullptr;  // set while the window is being created, before `window` owns it
    ScopedWindow window;
    HWND toolTip = nullptr;  // owned by the window and destroyed with it
    bool toolTipsWaiting = false;  // some child has a tip and the tip window is not made yet
    ScopedMenu menuBar;
    bool shownOnce = false;
    bool childrenMade = false;    // child windows are made when the window first shows
    int dpi = kDefaultDpi;        // of the monitor the window is on; twips become pixels with it
    std::optional<SIZE> laidOut;  // client size the first show's layout ran for, during it
    // The form or control whose native change is being written back into the model: its
    // own peer does not echo it back (the handlers it runs may change other controls).
    const void* syncing = nullptr;
    bool applying = false;        // model changes being written into native controls
    UINT nextChildId = 100;       // control ids; menu entries have theirs from 2000
    std::map<ui::MenuItem*, UINT> menuIds;
    std::map<UINT, ui::MenuItem*> menuCommands;
    std::map<HWND, ChildPeer*> children;  // each child peer enters and leaves itself
    // What peers undo in their controls when the window goes and the form stays (a peer
    // cannot do it when it goes: that may be in the control's destructor).
    std::vector<std::function<void()>> releaseControls;
    bool shellHooked = false;  // told of media keys no window took (a form that wants them)
    std::unique_ptr<ThumbButtons> thumbButtons;  // in its taskbar thumbnail (the same form)

    int px(double twips) const { return pixelsAt(twips, dpi); }
    // Where a control lies in the window's client area, in pixels.
    RECT pixelRect(const ui::Control& c) const;
    // The pointer is in the window: the tip window, with every child's tip, if one waits. It
    // is made only then: most windows (hidden ones always) never need one, and under Wine the
    // tip window is a top-level window of its own, which cost the main window's first show
    // over 100 wineserver round trips before it could appear.
    void makeWaitingToolTips();
    // Numbers the form's menu entries; true when some are on a menu bar.
    bool numberMenuEntries();
    void appendMenu(HMENU into, ui::MenuItem& item);
    // The menu bar is small; rebuilding it on every change keeps it simple and exact.
    void rebuildMenuBar();
    // A menu bar of the form's visible top-level entries; none when there are none.
    ScopedMenu makeMenuBar();
    // Runs a menu entry the user chose.
    void menuChosen(UINT id);
    // Unhooks the window from this object and destroys it; its child windows and menu bar go
    // with it.
    void close();
};

// The FormWindow a form's window belongs to; null before creation and after close().
FormWindow* formWindowOf(HWND hwnd);
// The message the shell sends to windows that registered for its news.
UINT shellHookMessage();

// The form's own peer: caption, place, visibility and state of its window.
std::unique_ptr<ui::Peer> makeFormPeer(FormWindow& fw);

// Lays the window out at a new DPI (moved to another monitor, or created on one whose DPI
// differs from the system's): same twips, new pixels. `outer` is the window's new rectangle.
void applyDpi(FormWindow& fw, int dpi, const RECT& outer);
// The window's rectangle scaled from one DPI to another around its centre.
RECT scaledAroundCentre(HWND hwnd, int from, int to);
// Reads the window's position and size back into the model.
void syncBounds(FormWindow& fw);

LRESULT CALLBACK formProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Marks model-to-native updates, so that the notifications they cause are not taken for the
// user's doing.
class Applying {
  public:
    explicit Applying(FormWindow& fw) : fw_(fw), was_(fw.applying) { fw.applying = true; }
    ~Applying() { fw_.applying = was_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

  private:
    FormWindow& fw_;
    bool was_;
};

// Marks a native-to-model update of one form or control, so that the model does not echo it
// back to its window.
class Syncing {
  public:
    Syncing(FormWindow& fw, const void* what) : fw_(fw), was_(fw.syncing) { fw.syncing = what; }
    ~Syncing() { fw_.syncing = was_; }
    Syncing(const Syncing&) = delete;
    Syncing& operator=(const Syncing&) = delete;

  private:
    FormWindow& fw_;
    const void* was_;
};

}  // namespace sonorin::win32
