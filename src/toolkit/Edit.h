#pragma once

#include <QLineEdit>

#include <optional>

// A single-line edit as the windows of this tool use it: centred text, a
// background colour of its own, and signals for focus gained, focus lost
// (emitted by the window before the focus moves on) and each typed character,
// which a receiver may suppress by setting it to 0. Alt with a character key
// types nothing, as a system key on Windows; every other character that
// arrives from the keyboard meets that handler: with AltGr, from a dead key
// or through an input method alike. The text has no length limit.
class Edit : public QLineEdit
{
    Q_OBJECT
public:
    explicit Edit(QWidget* parent);

    // The text the edit held when it last gained the focus.
    const QString& EntryText() const { return entryText_; }
    // Gains the focus anew while already holding it: selects the whole text
    // and runs the focus-gained handler, as a focus request from elsewhere would.
    void Reenter();
    // The focus was put here while the window was not active: when the
    // window's activation brings it in, it enters for `reason` (nothing: it
    // only comes back with the window).
    void EnterWithWindow(std::optional<Qt::FocusReason> reason) { enterWithWindow_ = reason; }

    // Puts `text` in the edit as the window's load gives it.
    void Load(const QString& text);
    // The text differs from what the last load put in (or from the empty
    // text, before any load), by whatever path it changed.
    bool ChangedSinceLoad() const { return text() != loaded_; }

    // Drops a composition still pending in an input method: the edit keeps
    // the text and selection it had before the composition began.
    void DropComposition();

    void SetColor(const QColor& color);
    QColor Color() const;

    // The character a key event types, as the home desktop reports it:
    // Esc 27, Enter 13, Backspace 8, Ctrl+letter 1..26; 0 when none.
    static char16_t TypedCharacter(const QKeyEvent* event);

signals:
    // The edit gained the focus (and selected its text).
    void entered();
    // The focus is about to leave for another control of the window; a
    // receiver that asks the window for the focus keeps it here.
    void exited();
    // Each typed character; a receiver that sets it to 0 suppresses it.
    void keyPressed(char16_t& key);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Runs one character through the key-press handler; 0 when it suppressed it.
    char16_t Filtered(char16_t key);

    // What the edit held before an input method's composition began.
    struct Before
    {
        QString text;
        int selectionStart = -1;
        int selectionLength = 0;
        int cursor = 0;
    };
    void EndComposition(const Before& before);

    QString entryText_;
    QString loaded_;
    std::optional<Before> composing_; // set while a composition is pending
    std::optional<Qt::FocusReason> enterWithWindow_;
};
