#pragma once

#include <QString>

// Files that are not regular files, put where a picture is expected, and a
// guard that ends a test run that hangs on one instead of letting it pass
// unnoticed.

// Makes a named pipe at `path`; false where the file system has none
// (Windows), so the case cannot be set up there.
bool MakeNamedPipe(const QString& path);

class HangGuard
{
public:
    explicit HangGuard(int seconds);
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};
