#pragma once

#include <QPushButton>

#include <functional>

// A push button that takes the focus by Tab or click (through the window, so
// the control losing the focus is checked first), with a handler for each
// typed character. Enter with no modifier, or Space, presses it.
class BitBtn : public QPushButton
{
    Q_OBJECT
public:
    BitBtn(QWidget* parent, const QString& caption);

    std::function<void(QObject* sender)> OnClick;
    std::function<void(QObject* sender, char16_t& key)> OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
