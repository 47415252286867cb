#pragma once

#include <QPushButton>

#include <functional>

// A push button that never takes the keyboard focus, so only a mouse click
// presses it; clicking it leaves the focus (and any edit in progress) alone.
class SpeedButton : public QPushButton
{
    Q_OBJECT
public:
    SpeedButton(QWidget* parent, const QString& caption);

    std::function<void(QObject* sender)> OnClick;
};
