#pragma once

#include <QDeadlineTimer>
#include <QTest>

#include <functional>

namespace Quickhalo::Testing {

// Polls `condition` while the event loop runs, for at most `milliseconds`.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 10000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QTest::qWait(20);
    }
    return true;
}

}
