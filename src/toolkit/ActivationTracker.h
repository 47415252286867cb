#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>

// Tells a window when the keyboard focus enters it from another window of this
// program, or from none (its first showing). A switch to another application
// and back is no activation: the program's last focused window is the same.
class ActivationTracker : public QObject
{
    Q_OBJECT
public:
    static ActivationTracker& Instance();

    // Takes `window` as activated now, ahead of the desktop's word (a click
    // on it while another window of the program has the focus): its
    // activation runs at once, and the desktop's later report of the same
    // window is none.
    void Activate(QWindow* window);
    // `window` is the one last taken as activated.
    bool IsActivated(const QWindow* window) const { return window && last_ == window; }

    // A press on `window` while another window of the program has the
    // activation (a message) activates it first: its activation runs, then
    // the press takes its effect on what the activation left.
    void ActivateOnPress(QWidget* window);

signals:
    void activated(QWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ActivationTracker();
    void OnFocusWindowChanged(QWindow* window);

    QPointer<QWindow> last_;
    QList<QPointer<QWidget>> pressed_; // windows a press activates
};
