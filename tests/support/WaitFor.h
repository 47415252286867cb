#pragma once

#include <QTest>

#include <functional>

// Handles events until `done` holds. The limit is for a machine that is busy,
// not a measure: a passing test never reaches it.
inline bool WaitFor(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, 30'000);
}
