#include "BitBtn.h"

#include "Edit.h"
#include "Form.h"

#include <QKeyEvent>
#include <QMouseEvent>

BitBtn::BitBtn(QWidget* parent, const QString& caption) : QPushButton(caption, parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAutoDefault(false);
}

void BitBtn::keyPressEvent(QKeyEvent* event)
{
    char16_t key = Edit::TypedCharacter(event);
    if (key != 0) {
        emit keyPressed(key);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // The keypad's Enter is Enter: only Shift, Ctrl and Alt make it another key.
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (enter && mods == Qt::NoModifier) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void BitBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !hasFocus()) {
        auto* form = qobject_cast<Form*>(window());
        if (form && !form->RequestFocus(this, Qt::MouseFocusReason)) {
            event->accept(); // the control losing the focus kept it: no press
            return;
        }
    }
    QPushButton::mousePressEvent(event);
}
