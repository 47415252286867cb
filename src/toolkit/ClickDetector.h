#pragma once

#include <QMouseEvent>
#include <QWidget>

// A click as the controls of this tool count it: the primary button pressed
// on a control and released over it. Fed from the control's own press and
// release handlers.
class ClickDetector
{
public:
    void Pressed(const QMouseEvent* event) { down_ = event->button() == Qt::LeftButton; }

    // Whether `event` ends a click on `control`.
    bool Released(const QMouseEvent* event, const QWidget* control)
    {
        const bool click =
            down_ && event->button() == Qt::LeftButton && control->rect().contains(event->position().toPoint());
        down_ = false;
        return click;
    }

private:
    bool down_ = false;
};
