// Play/pause and stop buttons in the taskbar's thumbnail of a window that takes media keys.
// The taskbar says when it has made the window's button; the buttons are added then, and a
// click comes back as WM_COMMAND with THBN_CLICKED.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/form.h"

struct ITaskbarList3;

namespace sonorin::win32 {

class ThumbButtons {
  public:
    ThumbButtons() = default;
    ~ThumbButtons();
    ThumbButtons(const ThumbButtons&) = delete;
    ThumbButtons& operator=(const ThumbButtons&) = delete;

    // The message the taskbar sends each time it (re)makes the window's button.
    static UINT createdMessage();
    // Adds the buttons to the window's thumbnail; a taskbar without them is left alone.
    void add(HWND window, int dpi);
    // The command of a click on one of them, from a WM_COMMAND's wParam.
    static std::optional<ui::AppCommand> clicked(WPARAM wParam);

  private:
    void release();

    ITaskbarList3* taskbar_ = nullptr;
    HICON icons_[2] = {};
};

}  // namespace sonorin::win32
