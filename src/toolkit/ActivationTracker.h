#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

// Tells a window when the keyboard focus enters it from another window of this
// program, or from none (its first showing). A switch to another application
// and back is no activation: the program's last focused window is the same.
class ActivationTracker : public QObject
{
    Q_OBJECT
public:
    static ActivationTracker& Instance();

    // Counts `window` as entered now, as the focus coming into it would;
    // false if it was already the last one entered.
    bool Enter(QWindow* window);

signals:
    void activated(QWindow* window);

private:
    ActivationTracker();
    void OnFocusWindowChanged(QWindow* window);

    QPointer<QWindow> last_;
};
