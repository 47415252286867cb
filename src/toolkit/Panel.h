#pragma once

#include "ClickDetector.h"

#include <QWidget>

// A rectangle in its own colours: a border of `BorderWidth` pixels in the
// background colour, optionally a sunken 1-pixel bevel inside it, and a
// caption centred in one line. It never takes the focus and has no pressed look.
class Panel : public QWidget
{
    Q_OBJECT
public:
    Panel(QWidget* parent, QString caption, const QColor& background, const QColor& textColor);

    QString Caption() const { return caption_; }

    int BorderWidth = 5;
    bool InnerBevelSunken = false;

    // Whether anything answers its clicks (screen readers offer a press then).
    bool Clickable() const;
    // A click, as the mouse or a screen reader's press gives it.
    void Click() { emit clicked(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString caption_;
    QColor background_;
    QColor textColor_;
    ClickDetector click_;
};
