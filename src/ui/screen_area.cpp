#include "ui/screen_area.h"

namespace sonorin::ui {

double keptInside(double start, double size, double first, double last) {
    if (start + size > last)
        start = last - size;
    return start < first ? first : start;
}

double dockedLeft(const ScreenArea& area, double anchorLeft, double anchorWidth, double width,
                  bool preferLeft) {
    const double left = anchorLeft - width, right = anchorLeft + anchorWidth;
    const bool fitsLeft = left >= area.left, fitsRight = right + width <= area.right;
    if (fitsLeft && (preferLeft || !fitsRight))
        return left;
    if (fitsRight)
        return right;
    return keptInside(preferLeft ? left : right, width, area.left, area.right);
}

}  // namespace sonorin::ui
