#include "NativeWindow.h"

// Window attributes take effect when they are set, and only the thread that
// created a window can destroy it: nothing to do on Windows.

#include <QApplication>
#include <QWidget>

#include <windows.h>

namespace {

// Puts the shown windows that `owner` owns back in front of it. Windows keeps
// owned windows in front of their owner by itself. Wine without a window
// manager raises an owner it activates above them on the X server while its
// own order still has them in front, so asking for the front again changes
// nothing; a change of their topmost state restacks them for real.
void KeepOwnedInFront(QWidget* owner)
{
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->parentWidget() != owner || !w->isVisible() || !w->testAttribute(Qt::WA_WState_Created))
            continue;
        const auto hwnd = reinterpret_cast<HWND>(w->winId());
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, kOrderOnly);
        SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, kOrderOnly);
    }
}

} // namespace

void FlushWindowSystem()
{
}

void WhenDestroyedFromOutside(QWidget*, std::function<void()>)
{
}

void ActivateWindow(QWidget* window)
{
    if (!window)
        return;
    window->activateWindow();
    KeepOwnedInFront(window);
}

void KeepOffTaskbar(QWidget*)
{
}

bool MessagesTakeFocus()
{
    return true;
}
