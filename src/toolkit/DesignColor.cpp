#include "DesignColor.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

QColor DesignColor(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QColor ButtonShadowColor()
{
    return QApplication::palette().color(QPalette::Dark);
}

QColor ButtonHighlightColor()
{
    return QApplication::palette().color(QPalette::Light);
}

void SetPaletteColor(QWidget* widget, const QColor& color, QPalette::ColorRole role)
{
    QPalette p = widget->palette();
    p.setColor(role, color);
    widget->setPalette(p);
}
