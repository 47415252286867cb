#include "Form.h"

#include "AccessibleFactory.h"
#include "ActivationTracker.h"
#include "Edit.h"
#include "NativeWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPointer>

#include <utility>

namespace {

// A screen reader's view of a window: its controls, less those the window
// keeps hidden for good (state holders, unused pictures), which no one can
// see or reach and would only be read out as clutter.
class FormAccessible : public QAccessibleWidget
{
public:
    explicit FormAccessible(Form* form) : QAccessibleWidget(form) {}

    int childCount() const override { return static_cast<int>(Shown().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const auto shown = Shown();
        return index >= 0 && index < shown.size() ? shown[index] : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return static_cast<int>(Shown().indexOf(const_cast<QAccessibleInterface*>(child)));
    }

private:
    QList<QAccessibleInterface*> Shown() const
    {
        QList<QAccessibleInterface*> shown;
        for (int i = 0, n = QAccessibleWidget::childCount(); i < n; ++i) {
            QAccessibleInterface* c = QAccessibleWidget::child(i);
            auto* w = c ? qobject_cast<QWidget*>(c->object()) : nullptr;
            if (c && (!w || w->isVisibleTo(widget())))
                shown << c;
        }
        return shown;
    }
};

} // namespace

Form::Form(QWidget* owner, Qt::WindowFlags flags, std::uint8_t opacity, bool opacityApplied)
    : QWidget(owner, flags | Qt::FramelessWindowHint), Opacity(this, opacity, opacityApplied)
{
    InstallAccessible<Form, FormAccessible>();
    auto& tracker = ActivationTracker::Instance();
    connect(&tracker, &ActivationTracker::activated, this, &Form::OnWindowActivated);
    // A click while a message has the activation activates this window first.
    tracker.ActivateOnPress(this);
}

bool Form::RequestFocus(QWidget* target, Qt::FocusReason reason)
{
    if (!target)
        return false;
    // A focus request brings its window to the front.
    if (!isActiveWindow())
        ActivateWindow(this);
    if (exiting_) {
        // Asked from inside an exit handler: the move that led to it is abandoned.
        redirect_ = target;
        return false;
    }
    QWidget* current = focusWidget();
    if (current == target && target->hasFocus())
        return true;
    if (auto* edit = qobject_cast<Edit*>(current); edit && edit != target) {
        // What an input method has not committed yet is not the field's.
        edit->DropComposition();
        if (!RunExitCheck(edit, target, reason))
            return false;
    }
    const bool active = isActiveWindow();
    MoveFocus(target, reason);
    // In a window that is not active yet the control gains the focus only
    // when the window does: it then enters as this request asked.
    if (auto* edit = qobject_cast<Edit*>(target); edit && !active)
        edit->EnterWithWindow(reason);
    if (auto* left = qobject_cast<Edit*>(current); left && left != target)
        left->EnterWithWindow(std::nullopt);
    return true;
}

bool Form::RunExitCheck(Edit* edit, QWidget* target, Qt::FocusReason reason)
{
    exiting_ = edit;
    redirect_ = nullptr;
    exitTarget_ = target;
    exitReason_ = reason;
    emit edit->exited();
    exiting_ = nullptr;
    exitTarget_ = nullptr;
    QWidget* redirect = std::exchange(redirect_, nullptr);
    if (!redirect)
        return true;
    if (redirect != focusWidget())
        MoveFocus(redirect, Qt::OtherFocusReason);
    // The check showed a message and asked for the focus back: the window is
    // active again at once, so its activation runs now, before any key typed
    // meanwhile is handled.
    ActivationTracker::Instance().Activate(windowHandle());
    return false;
}

void Form::MoveFocus(QWidget* target, Qt::FocusReason reason)
{
    const bool wasMoving = std::exchange(moving_, true);
    target->setFocus(reason);
    moving_ = wasMoving;
}

void Form::FocusTakenFrom(Edit* edit)
{
    if (moving_ || exiting_)
        return;
    QWidget* now = focusWidget();
    if (!now || now == edit || now->window() != this)
        return;
    // Judged once the move is over, as if it had been asked for; a check
    // that refuses takes the focus back.
    QPointer<Edit> left = edit;
    QMetaObject::invokeMethod(
        this,
        [this, left] {
            if (left && !exiting_)
                RunExitCheck(left, focusWidget(), Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
}

void Form::PlaceFocus(QWidget* target)
{
    const bool already = target && focusWidget() == target && target->hasFocus();
    placing_ = true;
    RequestFocus(target, Qt::OtherFocusReason);
    placing_ = false;
    if (auto* edit = qobject_cast<Edit*>(target); edit && already)
        edit->Reenter();
}

void Form::RequestFocusAfterMessage(QWidget* target)
{
    RequestFocus(target);
    ActivationTracker::Instance().Activate(windowHandle());
}

QWidget* Form::NextTabStop(QWidget* from, bool forward) const
{
    if (!from)
        from = const_cast<Form*>(this);
    QWidget* w = from;
    do {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w != this && w->window() == this && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(this)
            && w->isEnabled())
            return w;
    } while (w != from);
    return nullptr;
}

bool Form::SelectNext(bool forward)
{
    QWidget* next = NextTabStop(focusWidget(), forward);
    if (!next)
        return false;
    RequestFocus(next, forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool Form::focusNextPrevChild(bool next)
{
    SelectNext(next);
    return true;
}

void Form::showEvent(QShowEvent* event)
{
    if (!shown_ && !event->spontaneous()) {
        shown_ = true;
        emit shown();
    }
    QWidget::showEvent(event);
}

void Form::closeEvent(QCloseEvent* event)
{
    CloseAction action = CloseAction::Hide;
    emit closing(action);
    if (action == CloseAction::Free)
        setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

void Form::mousePressEvent(QMouseEvent* event)
{
    click_.Pressed(event);
    QWidget::mousePressEvent(event);
}

void Form::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = click_.Released(event, this);
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void Form::ActivateAtFirstShowing()
{
    // The control the activation puts the focus on before the window has it
    // enters when the window comes (Edit::EnterWithWindow). A window already
    // taken as activated is not activated again.
    if (QWindow* window = windowHandle())
        ActivationTracker::Instance().Activate(window);
}

void Form::OnWindowActivated(QWindow* window)
{
    if (window != windowHandle())
        return;
    if (!isEnabled())
        return;
    emit activated();
}
