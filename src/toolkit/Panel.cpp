#include "Panel.h"

#include "AccessibleFactory.h"
#include "Bevel.h"
#include "PanelAccessible.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

Panel::Panel(QWidget* parent, QString caption, const QColor& background, const QColor& textColor)
    : QWidget(parent), caption_(std::move(caption)), background_(background), textColor_(textColor)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallAccessible<Panel, PanelAccessible>();
}

void Panel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);
    if (InnerBevelSunken)
        Bevel::DrawSunkenFrame(p, rect().adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth));
    if (!caption_.isEmpty()) {
        p.setPen(textColor_);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
    }
}

void Panel::mousePressEvent(QMouseEvent* event)
{
    click_.Pressed(event);
    event->accept();
}

void Panel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = click_.Released(event, this);
    event->accept();
    if (click)
        emit clicked();
}

bool Panel::Clickable() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&Panel::clicked));
}
