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
