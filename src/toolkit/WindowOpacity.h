#pragma once

#include <cstdint>

class QWidget;

// A top-level window's opacity as the windows of this tool model it: an 8-bit
// value beside a flag that says whether it is applied at all. While the flag
// is off the window is drawn opaque; switching it on shows the current value.
// Every step that changes the value computes in 8 bits (it wraps).
class WindowOpacity
{
public:
    WindowOpacity(QWidget* window, std::uint8_t value, bool applied);

    std::uint8_t Value() const { return value_; }
    bool Applied() const { return applied_; }

    void SetValue(std::uint8_t value);
    void SetApplied(bool applied);

    // What the window shows: value / 255 while applied, otherwise opaque.
    double Effective() const { return applied_ ? value_ / 255.0 : 1.0; }

private:
    void Push();

    QWidget* window_;
    std::uint8_t value_;
    bool applied_;
};
