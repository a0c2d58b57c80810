#pragma once

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>

namespace Quickhalo {

// What the timer and the pomodoro do when a period ends, each step on its own so that tests can
// see the order: the alert sound, a notification, a toast.
struct ClockAlerts {
    std::function<void()> requestAuthorization = {};
    std::function<void()> playSound = {};
    std::function<void(const QString& title, const QString& body)> notify = {};
    std::function<void(const QString& text, const QString& symbol)> toast = {};

    void announce(const QString& title, const QString& body, const QString& toastText) const
    {
        if (playSound)
            playSound();
        if (notify)
            notify(title, body);
        if (toast)
            toast(toastText, QStringLiteral("timer"));
    }
};

// Whole seconds from `now` to `end`, rounded up: at least 1 while the end is ahead.
inline qint64 secondsLeft(const QDateTime& now, const QDateTime& end)
{
    return static_cast<qint64>(std::ceil(static_cast<double>(now.msecsTo(end)) / 1000.0));
}

// How long until secondsLeft(now, end) next changes, a little after it: a countdown wakes then,
// and no more often, as its display is all that moves. Within 10 ms … 1 s.
inline double secondsToNextChange(const QDateTime& now, const QDateTime& end)
{
    const qint64 left = now.msecsTo(end);
    const qint64 shown = secondsLeft(now, end);
    const qint64 untilChange = left - (shown - 1) * 1000;
    return std::clamp(static_cast<double>(untilChange + 2) / 1000.0, 0.01, 1.0);
}

// Whole minutes and seconds, "%02d:%02d", the minutes not reduced to hours: 6000 s is "100:00".
inline QString minutesAndSeconds(qint64 seconds)
{
    const qint64 minutes = seconds / 60;
    // qint64 is long long wherever Qt runs.
    return QString::asprintf("%02lld:%02lld", minutes, seconds - minutes * 60);
}

}
