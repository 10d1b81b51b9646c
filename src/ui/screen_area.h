// Where the program may place its windows: the work area of a monitor (the screen less the
// task bar), in twips, and the rules that keep a placed window inside it.
#pragma once

namespace sonorin::ui {

struct ScreenArea {
    double left = 0, top = 0, right = 0, bottom = 0;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
    bool empty() const { return width() <= 0 || height() <= 0; }
};

// The start of a window `size` long on one axis of [first, last): `start` when the window fits
// there, else moved in just far enough; `first` when it is longer than the whole span, so that
// its title bar and left edge stay reachable.
double keptInside(double start, double size, double first, double last);

struct Placement {
    double left = 0, top = 0;
};

// Where a window `width` wide docks beside the window whose top left corner is `anchor`
// and which is `anchorWidth` wide: level with it, on the preferred side when it fits in the
// area, else on the other side when it fits there. Where neither fits, kept inside the area
// with its title bar clear of the anchor: raised by `titleBar` (the height of a title bar with
// its frame) on the side where it covers less of the anchor when the area has room above,
// else on the right, level with the anchor.
Placement dockedBeside(const ScreenArea& area, const Placement& anchor, double anchorWidth,
                       double width, bool preferLeft, double titleBar);

}  // namespace sonorin::ui
