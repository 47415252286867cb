#include "Bevel.h"
#include "DesignColor.h"
#include "Panel.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

namespace {

// `w` drawn into an image of `dpr` device pixels per logical pixel, at
// `offset` logical pixels from its corner (a fractional device position at
// densities such as 1.5).
QImage Render(QWidget& w, qreal dpr, int offset)
{
    const QSize logical = w.size() + QSize(2 * offset + 2, 2 * offset + 2);
    QImage img(QSize(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr))),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    w.render(&img, QPoint(offset, offset), QRegion(), QWidget::DrawChildren);
    return img;
}

// Device pixels of row (or column) `at` in `color`, between `from` and `to`
// (compared as RGBA: palette colours may be held in another colour model).
int Count(const QImage& img, bool row, int at, int from, int to, const QColor& color)
{
    int n = 0;
    for (int i = from; i <= to; ++i)
        n += (row ? img.pixel(i, at) : img.pixel(at, i)) == color.rgba();
    return n;
}

} // namespace

TEST(BevelTest, TheSunkenFrameCoversItsBoundsAtEveryDensity)
{
    const QColor shadow = ButtonShadowColor();
    const QColor highlight = ButtonHighlightColor();
    for (const qreal dpr : {1.0, 1.25, 1.5, 2.0}) {
        for (const int offset : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "density " << dpr << ", offset " << offset);
            Bevel bevel(nullptr);
            bevel.resize(773, 82); // Bevel1 at 800 px
            const QImage img = Render(bevel, dpr, offset);

            // The frame's device bounds: the widget's, rounded to device pixels.
            const int left = qRound(offset * dpr), top = left;
            const int right = qRound((offset + 773) * dpr) - 1, bottom = qRound((offset + 82) * dpr) - 1;
            const int width = right - left + 1, height = bottom - top + 1;
            EXPECT_EQ(Count(img, true, top, left, right - 1, shadow), width - 1) << "top edge";
            EXPECT_EQ(Count(img, false, left, top, bottom - 1, shadow), height - 1) << "left edge";
            EXPECT_EQ(Count(img, true, bottom, left, right, highlight), width) << "bottom edge";
            EXPECT_EQ(Count(img, false, right, top, bottom, highlight), height) << "right edge";
            // Nothing outside the bounds, nothing inside the frame.
            EXPECT_EQ(img.pixelColor(right + 1, bottom + 1).alpha(), 0);
            EXPECT_EQ(img.pixelColor(right + 1, top).alpha(), 0);
            EXPECT_EQ(img.pixelColor(left + 1, top + 1).alpha(), 0);
            EXPECT_EQ(img.pixelColor(right - 1, bottom - 1).alpha(), 0);
            if (left > 0) {
                EXPECT_EQ(img.pixelColor(left - 1, top + 5).alpha(), 0);
            }
        }
    }
}

TEST(BevelTest, APanelsInnerBevelLiesRightInsideItsBorder)
{
    // "FECHA": 212 x 50, a 5-pixel border, then the sunken frame.
    Panel panel(nullptr, QStringLiteral("FECHA"), DesignColor(0x2D0000), Qt::white);
    panel.InnerBevelSunken = true;
    panel.resize(212, 50);
    const QImage img = Render(panel, 1.0, 0);
    EXPECT_EQ(img.pixel(5, 20), ButtonShadowColor().rgba());
    EXPECT_EQ(img.pixel(20, 5), ButtonShadowColor().rgba());
    EXPECT_EQ(img.pixel(206, 20), ButtonHighlightColor().rgba());
    EXPECT_EQ(img.pixel(20, 44), ButtonHighlightColor().rgba());
    EXPECT_EQ(img.pixel(207, 20), DesignColor(0x2D0000).rgba()) << "the border";
    EXPECT_EQ(img.pixel(205, 20), DesignColor(0x2D0000).rgba()) << "the inside";
}
