#include "WindowOpacity.h"

#include "NativeWindow.h"

#include <QGuiApplication>
#include <QWidget>

namespace {

// Wayland gives a client no say over its window's opacity: Qt's Wayland
// plugin can only refuse, with a warning each time. The value is still kept,
// and the window is drawn opaque.
bool PlatformShowsOpacity()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

WindowOpacity::WindowOpacity(QWidget* window, std::uint8_t value, bool applied)
    : window_(window), value_(value), applied_(applied)
{
    Push();
}

void WindowOpacity::SetValue(std::uint8_t value)
{
    if (value == value_)
        return;
    value_ = value;
    Push();
}

void WindowOpacity::SetApplied(bool applied)
{
    if (applied == applied_)
        return;
    applied_ = applied;
    Push();
}

void WindowOpacity::Push()
{
    if (!window_ || !PlatformShowsOpacity())
        return;
    window_->setWindowOpacity(Effective());
    // Each step of a fade must reach the screen in the tick that makes it.
    if (window_->testAttribute(Qt::WA_WState_Created))
        FlushWindowSystem();
}
