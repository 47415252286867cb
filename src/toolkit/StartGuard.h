#pragma once

#include <QtGlobal>

// Keeps a platform that cannot start from aborting the program. While the
// guard lives, what Qt says while it looks for a display is held back; should
// Qt then give up (no display reachable, no platform plugin that works), one
// line naming the first thing it found missing goes to standard error and the
// process ends with status 1, leaving no core dump. Once the application
// object exists, `Release` passes what was held back on and steps aside.
class StartGuard
{
public:
    StartGuard();
    ~StartGuard();
    StartGuard(const StartGuard&) = delete;
    StartGuard& operator=(const StartGuard&) = delete;

    void Release();

    // The one line said when the start fails, from what Qt said on the way
    // (`said`, one message per line) and its last, fatal, message.
    static QString FailureLine(const QStringList& said, const QString& fatal);
};
