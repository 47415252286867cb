#include "Bevel.h"

#include "DesignColor.h"

#include <QPainter>

Bevel::Bevel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void Bevel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    DrawSunkenFrame(p, rect());
}

void Bevel::DrawSunkenFrame(QPainter& p, const QRect& outer)
{
    // One device pixel along the inside of `outer`, at any density: the
    // bounds are snapped to device pixels and each edge, one pixel thick
    // there, is mapped back. A logical 1-pixel line would be cut one pixel
    // short of the right and bottom edges, and at fractional densities it can
    // fall outside the top and left ones.
    const QTransform toDevice = p.deviceTransform();
    bool invertible = false;
    const QTransform fromDevice = toDevice.inverted(&invertible);
    if (!invertible || outer.isEmpty())
        return;
    const QRectF d = toDevice.mapRect(QRectF(outer));
    const QRect px(QPoint(qRound(d.left()), qRound(d.top())), QPoint(qRound(d.right()) - 1, qRound(d.bottom()) - 1));
    const auto edge = [&](int x, int y, int w, int h, const QColor& color) {
        p.fillRect(fromDevice.mapRect(QRectF(x, y, w, h)), color);
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    edge(px.left(), px.top(), px.width(), 1, ButtonShadowColor());
    edge(px.left(), px.top(), 1, px.height(), ButtonShadowColor());
    edge(px.left(), px.bottom(), px.width(), 1, ButtonHighlightColor());
    edge(px.right(), px.top(), 1, px.height(), ButtonHighlightColor());
    p.restore();
}
