#include "NativeWindow.h"

// Window attributes take effect when they are set, and only the thread that
// created a window can destroy it: nothing to do on Windows.

#include <QWidget>

void FlushWindowSystem()
{
}

void WhenDestroyedFromOutside(QWidget*, std::function<void()>)
{
}

void ActivateWindow(QWidget* window)
{
    if (window)
        window->activateWindow();
}

void KeepOffTaskbar(QWidget*)
{
}

bool MessagesTakeFocus()
{
    return true;
}
