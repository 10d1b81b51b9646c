#include "ui/screen_area.h"

#include <algorithm>

namespace sonorin::ui {

double keptInside(double start, double size, double first, double last) {
    if (start + size > last)
        start = last - size;
    return start < first ? first : start;
}

Placement dockedBeside(const ScreenArea& area, const Placement& anchor, double anchorWidth,
                       double width, bool preferLeft, double titleBar) {
    const double left = anchor.left - width, right = anchor.left + anchorWidth;
    const bool fitsLeft = left >= area.left, fitsRight = right + width <= area.right;
    if (fitsLeft && (preferLeft || !fitsRight))
        return {left, anchor.top};
    if (fitsRight)
        return {right, anchor.top};
    // No room on either side. Its title bar, with the close button, must not end up under the
    // anchor, whichever of the two is on top: lifted above the anchor where the area has room,
    // on the side where it covers less of the anchor; else on the right, where the buttons at
    // the title bar's right end reach past the anchor.
    const double onLeft = keptInside(left, width, area.left, area.right);
    const double onRight = keptInside(right, width, area.left, area.right);
    if (anchor.top - titleBar < area.top)
        return {onRight, anchor.top};
    const double coverLeft = std::max(0.0, onLeft + width - anchor.left);
    const double coverRight = std::max(0.0, right - onRight);
    const bool takeLeft = coverLeft < coverRight || (coverLeft == coverRight && preferLeft);
    return {takeLeft ? onLeft : onRight, anchor.top - titleBar};
}

}  // namespace sonorin::ui
