// Which control kind a window is, from its window class name.
#pragma once

#include <string>

namespace sonorin::skin {

enum class SkinKind {
    Form,
    CommandButton,
    ComboBox,
    DriveList,
    CheckBox,
    OptionButton,
    ProgressBar,
    Header,
    DataList,
    DropList,
    Grid,
    Other,
};

// The visual state of a skinned control.
enum FaceState { FaceNormal = 0, FaceHover = 1, FacePressed = 2, FaceDisabled = 3 };

// The class name as the window system reports it; the comparison ignores letter case and
// reads at most 254 characters, as a 255-character buffer holds.
SkinKind classifyWindowClass(const std::string& className);

}  // namespace sonorin::skin
