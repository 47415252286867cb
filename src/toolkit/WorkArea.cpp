#include "WorkArea.h"

#include <algorithm>
#include <cmath>

Strut Strut::WholeEdges(int left, int right, int top, int bottom, const QSize& rootSize)
{
    const int lastX = rootSize.width() - 1;
    const int lastY = rootSize.height() - 1;
    return {left, right, top, bottom, 0, lastY, 0, lastY, 0, lastX, 0, lastX};
}

QRect MonitorLessStruts(const QRect& monitor, const QSize& rootSize, const std::vector<Strut>& struts)
{
    int left = monitor.left();
    int top = monitor.top();
    int right = monitor.right() + 1; // exclusive edges from here on
    int bottom = monitor.bottom() + 1;
    const int rootW = rootSize.width();
    const int rootH = rootSize.height();
    for (const Strut& s : struts) {
        // Each reservation is a rectangle of the root window; it cuts the
        // monitor only where the two overlap.
        if (s.left > 0 && QRect(QPoint(0, s.leftStartY), QPoint(s.left - 1, s.leftEndY)).intersects(monitor))
            left = std::max(left, s.left);
        if (s.right > 0
            && QRect(QPoint(rootW - s.right, s.rightStartY), QPoint(rootW - 1, s.rightEndY)).intersects(monitor))
            right = std::min(right, rootW - s.right);
        if (s.top > 0 && QRect(QPoint(s.topStartX, 0), QPoint(s.topEndX, s.top - 1)).intersects(monitor))
            top = std::max(top, s.top);
        if (s.bottom > 0
            && QRect(QPoint(s.bottomStartX, rootH - s.bottom), QPoint(s.bottomEndX, rootH - 1)).intersects(monitor))
            bottom = std::min(bottom, rootH - s.bottom);
    }
    if (right <= left || bottom <= top)
        return monitor;
    return {left, top, right - left, bottom - top};
}

QRect DeviceToLogical(const QRect& device, const QPoint& origin, double ratio)
{
    if (ratio <= 0 || ratio == 1.0)
        return device;
    // The largest logical rectangle that Qt draws inside `device`: edges
    // rounded inwards, so a window over it never reaches a dock or the next
    // monitor by a rounded pixel.
    const auto in = [ratio](int from, int at, bool up) {
        const double v = (at - from) / ratio;
        return from + static_cast<int>(up ? std::ceil(v - 1e-9) : std::floor(v + 1e-9));
    };
    const int left = in(origin.x(), device.left(), true);
    const int top = in(origin.y(), device.top(), true);
    const int right = in(origin.x(), device.left() + device.width(), false);
    const int bottom = in(origin.y(), device.top() + device.height(), false);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}
