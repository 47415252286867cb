#pragma once

#include <QWidget>

// A sunken 1-pixel frame along its bounds (top and left in the button-shadow
// colour, bottom and right in the button-highlight colour); the inside is not
// painted and mouse input passes through to what lies beneath.
class Bevel : public QWidget
{
    Q_OBJECT
public:
    explicit Bevel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
