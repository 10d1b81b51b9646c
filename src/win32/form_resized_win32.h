// Told to every window inside a form after the form has taken a new size and laid out its
// controls: what a window shows of itself can change with the windows around it, not only
// with its own size. Sent, not posted, and only then; a window that does not know it passes it
// to its default procedure, which ignores it. (Following the form through a subclass instead
// costs a wineserver round trip on every message the form gets, its timers' ticks included.)
#pragma once

#include <windows.h>

namespace sonorin::win32 {

inline UINT formResizedMessage() {
    static const UINT message = RegisterWindowMessageW(L"Sonorin.FormResized");
    return message;
}

}  // namespace sonorin::win32
