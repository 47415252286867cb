#pragma once

#include <QPointer>
#include <QPushButton>

class QAbstractButton;

// A push button that never takes the keyboard focus, so only a mouse click
// presses it; clicking it leaves the focus (and any edit in progress) alone.
class SpeedButton : public QPushButton
{
    Q_OBJECT
public:
    SpeedButton(QWidget* parent, const QString& caption);

    // The button switches a state that the (hidden) `box` holds. Screen
    // readers then meet the button as a check box, checked while `box` is,
    // and hear of each change; on screen it stays a plain button face.
    void ShowsStateOf(QAbstractButton* box);
    QAbstractButton* StateBox() const { return stateBox_; }

private:
    QPointer<QAbstractButton> stateBox_;
};
