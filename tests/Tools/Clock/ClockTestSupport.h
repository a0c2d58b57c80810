#pragma once

#include "Platform/Fake/FakeClock.h"
#include "Tools/Clock/ClockAlerts.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <functional>

namespace Quickhalo::Testing {

// A wall clock and the main loop's timers moved together, a quarter second at a time, and the
// alerts written down in the order they came.
struct ClockTestBench {
    QDateTime now = QDateTime(QDate(2026, 12, 11), QTime(9, 0), Qt::UTC);
    FakeClock clock;
    QStringList alerts;
    // Written beside the sound, to show what the model says at that moment.
    std::function<QString()> stateAtSound;

    ClockAlerts recordingAlerts()
    {
        return { [this] { alerts << QStringLiteral("authorization"); }, [this] { alerts << QStringLiteral("sound") + (stateAtSound ? u' ' + stateAtSound() : QString()); },
            [this](const QString& title, const QString& body) { alerts << QStringLiteral("notify %1: %2").arg(title, body); },
            [this](const QString& text, const QString& symbol) { alerts << QStringLiteral("toast %1 [%2]").arg(text, symbol); } };
    }
    std::function<QDateTime()> wallClock()
    {
        return [this] { return now; };
    }
    void pass(double seconds, double stride = 0.25)
    {
        for (double left = seconds; left > 1e-9; left -= stride) {
            const double step = std::min(stride, left);
            now = now.addMSecs(std::llround(step * 1000));
            clock.advance(step);
        }
    }
    // A suspend: the wall clock jumps, the main loop's timers hear nothing until the next tick.
    void sleep(double seconds) { now = now.addMSecs(std::llround(seconds * 1000)); }
};

}
