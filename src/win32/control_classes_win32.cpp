#include "win32/control_classes_win32.h"

#include <commctrl.h>

#include <iterator>

namespace sonorin::win32 {
namespace {

struct Superclass {
    ui::ControlKind kind;
    const wchar_t* name;
    const wchar_t* system;
};

const Superclass kSuperclasses[] = {
    {ui::ControlKind::Button, L"ThunderRT6CommandButton", L"Button"},
    {ui::ControlKind::OptionButton, L"ThunderRT6OptionButton", L"Button"},
    {ui::ControlKind::Frame, L"ThunderRT6Frame", L"Button"},
    {ui::ControlKind::ProgressBar, L"ProgressBar20WndClass", PROGRESS_CLASSW},
    {ui::ControlKind::ComboBox, L"ThunderRT6ComboBox", L"COMBOBOX"},
};

bool registered = false;
bool available[std::size(kSuperclasses)] = {};

}  // namespace

void registerControlClasses(HINSTANCE instance) {
    if (registered)
        return;
    registered = true;
    for (std::size_t i = 0; i < std::size(kSuperclasses); ++i) {
        const Superclass& s = kSuperclasses[i];
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!GetClassInfoExW(nullptr, s.system, &wc))
            continue;
        // Same procedure, extra bytes, cursor and brush; only the name and owner differ.
        wc.hInstance = instance;
        wc.lpszClassName = s.name;
        wc.style &= ~CS_GLOBALCLASS;
        available[i] = RegisterClassExW(&wc) != 0;
    }
}

const wchar_t* controlClassName(ui::ControlKind kind, const wchar_t* systemClass) {
    for (std::size_t i = 0; i < std::size(kSuperclasses); ++i)
        if (kSuperclasses[i].kind == kind)
            return available[i] ? kSuperclasses[i].name : systemClass;
    return systemClass;
}

}  // namespace sonorin::win32
