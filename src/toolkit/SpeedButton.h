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

    // Tells screen readers the state the box holds now. The button never has
    // the keyboard focus, and a screen reader speaks a change of state only
    // for the object it is on, so a click brings it there, as a click on a
    // control that does take the focus would.
    void AnnounceState();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<QAbstractButton> stateBox_;
};
