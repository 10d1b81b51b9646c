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

// The left edge of a window `width` wide docked beside the window that spans
// [anchorLeft, anchorLeft + anchorWidth): on the preferred side when it fits in the area, else
// on the other side when it fits there, else kept inside the area.
double dockedLeft(const ScreenArea& area, double anchorLeft, double anchorWidth, double width,
                  bool preferLeft);

}  // namespace sonorin::ui
