#pragma once

#include "ClickDetector.h"
#include "WindowOpacity.h"

#include <QWidget>

#include <utility>

class Edit;

// What closing does to a window.
enum class CloseAction
{
    Hide,
    Free
};

// A borderless top-level window with the behaviour the windows of this tool
// are written against: an 8-bit opacity with an "applied" flag, signals for
// show, activation, click and close, and focus moves that let the control
// losing the focus check its value first.
class Form : public QWidget
{
    Q_OBJECT
public:
    Form(QWidget* owner, Qt::WindowFlags flags, std::uint8_t opacity, bool opacityApplied);

    WindowOpacity Opacity;

    // The check Qt lacks: an edit losing the focus emits Edit::exited before
    // the focus moves, and a receiver that asks for the focus back (it
    // rejected the value) keeps it there. Every move of the window's focus
    // (Tab, clicks, the program's own) comes through RequestFocus.
    //
    // Moves the keyboard focus to `target`. The edit losing the focus emits
    // `exited` first; if a receiver asks for the focus itself, the move is
    // abandoned and false is returned.
    // A request made while the window is not active activates it, as a focus
    // request does on the home desktop.
    bool RequestFocus(QWidget* target, Qt::FocusReason reason = Qt::OtherFocusReason);

    // Puts the focus on `target` for the window itself, after it has replaced
    // its controls' contents (on activation). The exit check still runs, but
    // sees PlacingFocus() and must not object: what it would reject is no
    // edit of the user's, and objecting would re-activate the window and start
    // the same placement again, without end.
    // A target that already has the focus receives it again all the same,
    // as a control gaining the focus does (an edit selects its text).
    void PlaceFocus(QWidget* target);
    bool PlacingFocus() const { return placing_; }

    // While an exit check runs: where the focus was to go, and why.
    QWidget* ExitTarget() const { return exitTarget_; }
    Qt::FocusReason ExitReason() const { return exitReason_; }

    // Asks for the focus for `target` right after a message was shown that
    // did not take the focus: the window's activation runs now, as it does
    // when a check that refused a value asks for the focus back.
    void RequestFocusAfterMessage(QWidget* target);

    // `edit` lost the focus to another control of this window by a move
    // the window did not make (a screen reader's focus action): its exit
    // check runs now, and may take the focus back.
    void FocusTakenFrom(Edit* edit);

    // Runs the activation handler now, at the window's first showing, unless
    // the focus has come already; the focus arriving later is then no new
    // activation.
    void ActivateAtFirstShowing();

    // Moves the focus to the next (or previous) tab stop, wrapping; Tab,
    // Shift+Tab and the program's own forward moves all come here.
    bool SelectNext(bool forward);

    // The tab stop after (or before) `from` in the window's tab order.
    QWidget* NextTabStop(QWidget* from, bool forward) const;

signals:
    // Before the window first becomes visible.
    void shown();
    // The focus entered from another window of the program, or from none.
    void activated();
    // Primary button pressed and released on the background.
    void clicked();
    // The window is closing; a receiver may set what closing does.
    void closing(CloseAction& action);

protected:
    // Connects `signal` of `control` to a handler of `Window` written in the
    // design's shape, which takes the control that raised the event first.
    // Direct, so a handler given a key by reference changes or swallows it
    // before the control goes on.
    template <typename Window, typename Control, typename Signal, typename... Args>
    void Bind(Control* control, Signal signal, void (Window::*handler)(QObject*, Args...))
    {
        auto* window = static_cast<Window*>(this);
        connect(
            control, signal, this,
            [window, control, handler](Args... args) { (window->*handler)(control, std::forward<Args>(args)...); },
            Qt::DirectConnection);
    }

    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnWindowActivated(QWindow* window);
    // Runs `edit`'s exit check for a move to `target`; false when the check
    // kept the focus (the window's activation has then run).
    bool RunExitCheck(Edit* edit, QWidget* target, Qt::FocusReason reason);
    void MoveFocus(QWidget* target, Qt::FocusReason reason);

    Edit* exiting_ = nullptr;     // edit whose exit check is running
    QWidget* redirect_ = nullptr; // focus asked for by that check
    QWidget* exitTarget_ = nullptr;
    Qt::FocusReason exitReason_ = Qt::OtherFocusReason;
    bool placing_ = false;
    bool moving_ = false; // the window is moving the focus itself
    ClickDetector click_;
    bool shown_ = false;
};
