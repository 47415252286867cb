#include "Edit.h"

#include "DesignColor.h"
#include "Form.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <limits>
#include <utility>

Edit::Edit(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Clicks take the focus through the window, so the exit handler of the
    // control losing it runs first and can keep it.
    setFocusPolicy(Qt::TabFocus);
    setMaxLength(std::numeric_limits<int>::max());
}

void Edit::SetColor(const QColor& color)
{
    SetPaletteColor(this, color, QPalette::Base);
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
    auto reason = event->reason();
    QLineEdit::focusInEvent(event);
    // Coming back with the window is not gaining the focus, unless the focus
    // was put here while the window was not active.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        const auto asked = std::exchange(enterWithWindow_, std::nullopt);
        if (!asked)
            return;
        reason = *asked;
    }
    enterWithWindow_.reset();
    entryText_ = text();
    if (reason != Qt::MouseFocusReason)
        selectAll();
    emit entered();
}

void Edit::Reenter()
{
    entryText_ = text();
    selectAll();
    emit entered();
}

char16_t Edit::Filtered(char16_t key)
{
    if (key != 0)
        emit keyPressed(key);
    return key;
}

void Edit::keyPressEvent(QKeyEvent* event)
{
    char16_t key = TypedCharacter(event);
    const QString text = event->text();
    // Alt with a character key, without Ctrl (Ctrl+Alt is AltGr on Windows),
    // is a system key on the home desktop: it types nothing, not even a digit.
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::AltModifier && !text.isEmpty() && text.at(0).isPrint()) {
        event->accept();
        return;
    }
    // What the home desktop types no character for may still insert text
    // here (AltGr, a key of a composed character): the handler judges that
    // text too. Editing keys carry no printable text and keep working.
    const bool editingKey = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Insert;
    if (key == 0 && !editingKey && !text.isEmpty() && text.at(0).isPrint()) {
        for (const QChar c : text) {
            if (Filtered(c.unicode()) == 0) {
                event->accept();
                return;
            }
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (key != 0 && Filtered(key) == 0) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void Edit::inputMethodEvent(QInputMethodEvent* event)
{
    // Compose sequences and input methods hand over whole strings: only the
    // characters the handler lets through are committed. A composition that
    // begins over a selection removes it at once; if nothing of it is kept in
    // the end, the edit gets back what it held before.
    const Before before = composing_.value_or(
        Before{text(), selectionStart(), static_cast<int>(selectedText().size()), cursorPosition()});
    const QString commit = event->commitString();
    QString kept;
    for (const QChar c : commit) {
        if (const char16_t k = Filtered(c.unicode()); k != 0)
            kept += QChar(k);
    }
    const bool ends = event->preeditString().isEmpty();
    if (ends && kept.isEmpty() && (composing_ || !commit.isEmpty())) {
        EndComposition(before);
        event->accept();
        return;
    }
    composing_ = ends ? std::nullopt : std::optional<Before>(before);
    if (kept == commit) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

void Edit::EndComposition(const Before& before)
{
    composing_.reset();
    QInputMethodEvent clear; // takes the pending characters off the screen
    QLineEdit::inputMethodEvent(&clear);
    if (text() != before.text)
        setText(before.text);
    if (before.selectionLength > 0)
        setSelection(before.selectionStart, before.selectionLength);
    else
        setCursorPosition(before.cursor);
}

void Edit::DropComposition()
{
    if (!composing_)
        return;
    // The input method forgets it too, so that nothing of it is committed
    // when the focus moves on.
    if (QInputMethod* im = QGuiApplication::inputMethod())
        im->reset();
    if (composing_) {
        const Before before = *composing_; // ending it drops what composing_ holds
        EndComposition(before);
    }
}

void Edit::Load(const QString& text)
{
    setText(text);
    loaded_ = text;
}

void Edit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Going with the window is not leaving the field. Any other move the
    // window did not make itself still runs the exit check.
    const auto reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (auto* form = qobject_cast<Form*>(window()))
        form->FocusTakenFrom(this);
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

void Edit::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu's Paste must land in the field that has the focus, so that
    // leaving it judges what was pasted. The click before the menu request
    // has already asked for the focus; a field that did not get it (the one
    // being left refused its value) opens no menu.
    if (window()->focusWidget() != this) {
        event->accept();
        return;
    }
    QLineEdit::contextMenuEvent(event);
}
