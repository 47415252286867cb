#pragma once

#include <QPushButton>

// A push button that takes the focus by Tab or click (through the window, so
// the control losing the focus is checked first), with a handler for each
// typed character. Enter with no modifier, or Space, presses it.
class BitBtn : public QPushButton
{
    Q_OBJECT
public:
    BitBtn(QWidget* parent, const QString& caption);

signals:
    // Each typed character before the button handles it; a receiver that
    // sets it to 0 swallows the key.
    void keyPressed(char16_t& key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
