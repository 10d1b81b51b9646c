// The window classes our forms and controls are created from. The skin engine tells a
// control's kind by its class name, and a system "Button" window would be a command button to
// it even when it is an option button or a frame; so each of our controls is the system
// control under the name of its kind (a superclass), and forms have a form's class name.
#pragma once

#include <windows.h>

#include "ui/control.h"

namespace sonorin::win32 {

constexpr wchar_t kFormClassName[] = L"ThunderRT6FormDC";

// Registers the superclasses once per process; the system classes must be registered already
// (common controls initialised).
void registerControlClasses(HINSTANCE instance);

// The class to create a control of this kind from: our superclass where the kind has one,
// otherwise the system class given.
const wchar_t* controlClassName(ui::ControlKind kind, const wchar_t* systemClass);

}  // namespace sonorin::win32
