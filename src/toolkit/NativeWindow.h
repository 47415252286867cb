#pragma once

#include <functional>

class QWidget;

// The little the windows of this tool need from the window system beyond what
// Qt does on its own. Each platform has its own file.

// Hands requests that wait in the connection to the window system over now.
// An X11 connection is otherwise written out only when something else flushes
// it (about every half second, the text cursor's blink), so a change made from
// a timer, such as one step of a fade, would reach the screen late and in
// bunches. Nothing to do where requests are not queued (Windows).
void FlushWindowSystem();

// Runs `gone` once, from the event loop, when another program destroys the
// native window of `window` (X11: any client may destroy any window). Not
// run for the window's own destruction, nor after `window` is deleted.
void WhenDestroyedFromOutside(QWidget* window, std::function<void()> gone);

// Makes `window` the active window at once, as the user's own doing. Window
// managers that prevent focus stealing (KWin, Mutter, Openbox) refuse or delay
// an application's request stamped with the time of the key that led to it,
// once a message shown since has taken the focus; on X11 under a window
// manager the request is therefore made as a direct user action, stamped with
// the server's current time, and Qt's own is not made. Elsewhere it is Qt's
// own request.
void ActivateWindow(QWidget* window);

// Keeps the top-level `window`, just shown, out of the taskbar and the pager
// (X11: _NET_WM_STATE_SKIP_TASKBAR and _PAGER, asked of the window manager as
// a shown window's state changes are). Asking before the window exists would
// give the owner's controls native windows of their own. Windows leaves owned
// windows out by itself.
void KeepOffTaskbar(QWidget* window);

// Whether a message shown in front of a window may take the keyboard focus
// from it. Not on native Wayland, where nothing gives the focus back to the
// window at once: there a message is a surface tied to its window that takes
// no keyboard input, and the window keeps the focus throughout.
bool MessagesTakeFocus();
