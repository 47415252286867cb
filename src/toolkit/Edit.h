#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

// A single-line edit as the windows of this tool use it: centred text, a
// background colour of its own, and handlers for focus gained, focus lost
// (run by the window before the focus moves on) and each typed character,
// which the handler may suppress by setting it to 0. Every character that
// arrives from the keyboard meets that handler: with Alt held, from a dead
// key or through an input method alike. The text has no length limit.
class Edit : public QLineEdit
{
    Q_OBJECT
public:
    explicit Edit(QWidget* parent);

    std::function<void(QObject* sender)> OnEnter;
    std::function<void(QObject* sender)> OnExit;
    std::function<void(QObject* sender, char16_t& key)> OnKeyPress;

    // The text the edit held when it last gained the focus.
    const QString& EntryText() const { return entryText_; }
    // Gains the focus anew while already holding it: selects the whole text
    // and runs the focus-gained handler, as a focus request from elsewhere would.
    void Reenter();
    // The focus was put here while the window was not active: when the
    // window's activation brings it in, it enters for `reason` (nothing: it
    // only comes back with the window).
    void EnterWithWindow(std::optional<Qt::FocusReason> reason) { enterWithWindow_ = reason; }

    void SetColor(const QColor& color);
    QColor Color() const;

    // The character a key event types, as the home desktop reports it:
    // Esc 27, Enter 13, Backspace 8, Ctrl+letter 1..26; 0 when none.
    static char16_t TypedCharacter(const QKeyEvent* event);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Runs one character through the key-press handler; 0 when it suppressed it.
    char16_t Filtered(char16_t key);

    QString entryText_;
    std::optional<Qt::FocusReason> enterWithWindow_;
};
