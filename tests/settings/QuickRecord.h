#pragma once

#include <functional>
#include <utility>

#include "SettingsRecord.h"

// A settings record whose save attempts follow each other at once, or after
// `between` has run: tests decide what happens between two attempts instead
// of racing the pause.
class QuickRecord : public SettingsRecord
{
public:
    using SettingsRecord::SettingsRecord;

    std::function<void(int nextAttempt)> between;

protected:
    void PauseBeforeRetry(int nextAttempt) override
    {
        if (between)
            between(nextAttempt);
    }
};
