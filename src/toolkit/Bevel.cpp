#include "Bevel.h"

#include "DesignColor.h"

#include <QPainter>

Bevel::Bevel(QWidget* parent)
    : QWidget(parent)
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
    const QRect r = outer.adjusted(0, 0, -1, -1);
    p.setPen(ButtonShadowColor());
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(ButtonHighlightColor());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}
