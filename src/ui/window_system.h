// The window system behind the portable forms: creates and destroys native windows, runs
// modal loops and pop-up menus, and tells the screen size.
#pragma once

#include <cstdint>

#include "ui/screen_area.h"

namespace sonorin::ui {
class Form;
class MenuItem;
}  // namespace sonorin::ui

namespace sonorin {

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // Creates the form's native window (hidden) and a peer for each of its controls.
    virtual void createWindow(ui::Form& form) = 0;
    // Destroys the native window and detaches the peers createWindow gave the form.
    virtual void destroyWindow(ui::Form& form) = 0;
    // Runs a nested message loop until the form is hidden or unloaded; other windows of the
    // program are disabled meanwhile.
    virtual void runModal(ui::Form& form) = 0;
    // Processes the pending window messages and returns.
    virtual void doEvents() = 0;
    // Shows a pop-up menu at the mouse position and runs the chosen entry's handler.
    virtual void popupMenu(ui::Form& owner, ui::MenuItem& menu) = 0;
    // Brings the form to the foreground and gives it the keyboard focus.
    virtual void activate(ui::Form& form) = 0;
    virtual double screenWidth() = 0;  // twips
    virtual double screenHeight() = 0;
    // The work area of the monitor that shows most of the given window box, in twips. Without
    // one of its own, a window system offers the whole screen.
    virtual ui::ScreenArea workArea(double left, double top, double width, double height) {
        (void)left;
        (void)top;
        (void)width;
        (void)height;
        return {0, 0, screenWidth(), screenHeight()};
    }
    // The height of a title bar with the frame above it, twips.
    virtual double titleBarHeight() { return 0; }
    // The form's native window handle, 0 when it has none (the skin engine attaches to it).
    virtual std::uintptr_t nativeHandle(const ui::Form&) { return 0; }
};

}  // namespace sonorin
