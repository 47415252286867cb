#include "Artwork.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

const QColor kWindowBlue(0x00, 0x00, 0x2D); // the configuration window's background
const QColor kEdgeBlue(0x2A, 0x3C, 0x8C);   // keeps the icon's edge visible on dark taskbars
const QColor kYellow(0xFF, 0xE0, 0x10);
const QColor kMatYellow(0xB0, 0x90, 0x10);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTickGreen(0x12, 0x8A, 0x3C);
const QColor kPaper(0xFF, 0xF4, 0xF4); // light rose, as the hour panel

QImage Transparent(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QImage Artwork::PopupArrow()
{
    QImage image = Transparent(40, 40);

    // The ring: outer edge on all four sides, 3 px thick.
    QPainterPath shape;
    shape.setFillRule(Qt::OddEvenFill);
    shape.addEllipse(QRectF(0, 0, 40, 40));
    shape.addEllipse(QRectF(3, 3, 34, 34));

    // The arrow as one outline, symmetric about y = 20 (between rows 19 and
    // 20). The tip sits half a pixel left of x = 9 so that column 9 is
    // nearly opaque on both tip rows. The head strokes run at 45 degrees, are
    // 6 px wide along a row, and are cut level so that they end on rows 12
    // and 27 covering x = 16-21.
    const qreal tipX = 8.5;
    const qreal headTop = 12.0;
    const qreal strokeRun = 6.0;
    const qreal outerX = tipX + (20.0 - headTop);
    const qreal innerX = outerX + strokeRun - (18.0 - headTop);
    const qreal shaftEnd = 29.0;
    QPainterPath arrow;
    arrow.moveTo(tipX, 20.0);
    arrow.lineTo(outerX, headTop);
    arrow.lineTo(outerX + strokeRun, headTop);
    arrow.lineTo(innerX, 18.0);
    arrow.lineTo(shaftEnd, 18.0);
    arrow.lineTo(shaftEnd, 22.0);
    arrow.lineTo(innerX, 22.0);
    arrow.lineTo(outerX + strokeRun, 40.0 - headTop);
    arrow.lineTo(outerX, 40.0 - headTop);
    arrow.closeSubpath();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(shape);
    painter.drawPath(arrow);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage Artwork::AppIcon(int width, int height)
{
    QImage image = Transparent(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal side = std::min(width, height);
    const qreal radius = side * 0.2;
    painter.setPen(QPen(kEdgeBlue, std::max(1.0, side / 40.0)));
    painter.setBrush(kWindowBlue);
    const qreal inset = painter.pen().widthF() / 2.0;
    painter.drawRoundedRect(QRectF(inset, inset, width - 2 * inset, height - 2 * inset), radius, radius);

    // The figure is designed on a 64 x 64 grid, drawn a little smaller than
    // the icon to leave a margin inside the rounded edge, and centred; the
    // grid is shifted a little because the figure's ink leans right.
    const qreal scale = side / 72.0;
    painter.translate((width - 64.0 * scale) / 2.0, (height - 64.0 * scale) / 2.0);
    painter.scale(scale, scale);
    painter.translate(-3.0, -0.5);

    // The mat spans the icon's width, so the wide image gets a longer one.
    const qreal matHalf = (width / scale) / 2.0 - 19.0;
    painter.setPen(QPen(kMatYellow, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(35.0 - matHalf, 59.5), QPointF(35.0 + matHalf, 59.5));

    QPen limb(kYellow, 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(limb);
    painter.setBrush(Qt::NoBrush);

    // A side bend: one arm arched over the head, the other reaching down.
    const QPointF hip(30.0, 39.0);
    const QPointF shoulder(35.0, 24.5);
    QPainterPath body;
    body.moveTo(18.0, 56.0);
    body.lineTo(hip);
    body.lineTo(41.0, 56.0);
    body.moveTo(hip);
    body.quadTo(QPointF(29.5, 30.0), shoulder);
    body.moveTo(shoulder);
    body.cubicTo(QPointF(26.0, 14.0), QPointF(30.0, 3.0), QPointF(52.0, 7.0));
    body.moveTo(shoulder);
    body.lineTo(46.0, 38.0);
    painter.drawPath(body);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kYellow);
    painter.drawEllipse(QPointF(42.0, 18.0), 5.5, 5.5);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage Artwork::CheckBox(bool ticked)
{
    QImage image(62, 70, QImage::Format_ARGB32_Premultiplied);
    image.fill(kPaper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(kNavy, 4.0));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(9.0, 13.0, 44.0, 44.0), 6.0, 6.0);

    if (ticked) {
        QPainterPath tick;
        tick.moveTo(17.0, 35.0);
        tick.lineTo(27.0, 46.0);
        tick.lineTo(46.0, 22.0);
        painter.setPen(QPen(kTickGreen, 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
    painter.end();
    return image;
}
