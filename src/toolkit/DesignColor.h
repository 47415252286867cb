#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

// Colours of the layout are written 0x00BBGGRR: blue in the high byte.
QColor DesignColor(std::uint32_t bgr);

// The desktop's button-shadow and button-highlight colours, for sunken frames.
QColor ButtonShadowColor();
QColor ButtonHighlightColor();

class QWidget;

// Sets one colour of a widget's palette, leaving the rest as it is.
void SetPaletteColor(QWidget* widget, const QColor& color, QPalette::ColorRole role);
