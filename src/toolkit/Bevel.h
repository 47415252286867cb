#pragma once

#include <QWidget>

class QPainter;

// A sunken 1-pixel frame along its bounds (top and left in the button-shadow
// colour, bottom and right in the button-highlight colour); the inside is not
// painted and mouse input passes through to what lies beneath.
class Bevel : public QWidget
{
    Q_OBJECT
public:
    explicit Bevel(QWidget* parent);

    // Draws the sunken frame, one device pixel wide, along the inside of `r`.
    static void DrawSunkenFrame(QPainter& p, const QRect& r);

protected:
    void paintEvent(QPaintEvent* event) override;
};
