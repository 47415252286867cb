#pragma once

#include <QRegion>
#include <QSize>

class QWidget;

// Clips a window or control to the rounded rectangle of its current client
// size (corner ellipse 20 x 20); a multi-line text box also has its text area
// moved 5 pixels further in on every side. The shape does not follow later
// resizes: call it again once the size has changed.
void ArredondaControle(QWidget* control);

// The pixels of a `size` rectangle with corners rounded by an ellipse of
// `ellipse` (clamped to the rectangle), as the shape of a window.
QRegion RoundRectRegion(QSize size, QSize ellipse);
