#include "ArredondaControle.h"

#include "Memo.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCornerEllipse = 20;
constexpr int kTextInset = 5;

} // namespace

QRegion RoundRectRegion(QSize size, QSize ellipse)
{
    const int w = size.width();
    const int h = size.height();
    if (w <= 0 || h <= 0)
        return {};
    const double rx = std::min(ellipse.width(), w) / 2.0;
    const double ry = std::min(ellipse.height(), h) / 2.0;

    // A pixel belongs to the shape when its centre lies inside; the rows
    // crossing the corner ellipses are cut row by row, the rest is one band.
    const int band = static_cast<int>(std::ceil(ry));
    QRegion region;
    for (int y = 0; y < band; ++y) {
        const double dy = (ry - (y + 0.5)) / ry;
        const double dx = dy >= 1.0 ? 0.0 : rx * std::sqrt(1.0 - dy * dy);
        const int inset = std::max(0, static_cast<int>(std::ceil(rx - dx - 0.5)));
        if (2 * inset >= w)
            continue;
        region += QRect(inset, y, w - 2 * inset, 1);
        region += QRect(inset, h - 1 - y, w - 2 * inset, 1);
    }
    if (h > 2 * band)
        region += QRect(0, band, w, h - 2 * band);
    return region;
}

void ArredondaControle(QWidget* control)
{
    if (!control)
        return;
    const QRegion shape = RoundRectRegion(control->size(), QSize(kCornerEllipse, kCornerEllipse));

    // Only a text box has a text area; every other control keeps its layout.
    if (auto* memo = qobject_cast<Memo*>(control))
        memo->SetTextAreaNoRedraw(memo->TextArea().adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset));

    control->setMask(shape);
    control->update();
}
