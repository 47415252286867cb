#include "Edit.h"

#include "Form.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

Edit::Edit(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Clicks take the focus through the window, so the exit handler of the
    // control losing it runs first and can keep it.
    setFocusPolicy(Qt::TabFocus);
}

void Edit::SetColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

QColor Edit::Color() const
{
    return palette().color(QPalette::Base);
}

char16_t Edit::TypedCharacter(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    // Editing keys type nothing on the home desktop, though X11 gives
    // Delete the text DEL: they keep their editing action.
    case Qt::Key_Delete:
    case Qt::Key_Insert: return 0;
    default: break;
    }
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::ControlModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return char16_t(event->key() - Qt::Key_A + 1);
    const QString text = event->text();
    if (text.isEmpty() || mods != Qt::NoModifier)
        return 0;
    return text.at(0).unicode();
}

void Edit::focusInEvent(QFocusEvent* event)
{
    const auto reason = event->reason();
    QLineEdit::focusInEvent(event);
    // Coming back with the window is not gaining the focus.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    entryText_ = text();
    if (reason != Qt::MouseFocusReason)
        selectAll();
    if (OnEnter)
        OnEnter(this);
}

void Edit::Reenter()
{
    entryText_ = text();
    selectAll();
    if (OnEnter)
        OnEnter(this);
}

void Edit::keyPressEvent(QKeyEvent* event)
{
    char16_t key = TypedCharacter(event);
    if (key != 0 && OnKeyPress) {
        OnKeyPress(this, key);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void Edit::mousePressEvent(QMouseEvent* event)
{
    if (!hasFocus()) {
        auto* form = qobject_cast<Form*>(window());
        const bool moved =
            form ? form->RequestFocus(this, Qt::MouseFocusReason) : (setFocus(Qt::MouseFocusReason), true);
        if (!moved) {
            event->accept();
            return;
        }
    }
    QLineEdit::mousePressEvent(event);
}
