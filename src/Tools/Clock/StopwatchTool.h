#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>

#include <functional>
#include <optional>

#include "Base/SharedInstance.h"

namespace Quickhalo {

// The stopwatch: one for the whole process. It keeps no timer of its own; its page redraws the
// elapsed time, and the model only announces starting, pausing and laps.
class StopwatchTool final : public QObject, public Shared<StopwatchTool> {
    Q_OBJECT

public:
    explicit StopwatchTool(std::function<QDateTime()> wallClock = &QDateTime::currentDateTimeUtc);

    bool isRunning() const { return m_startDate.has_value(); }
    // Total elapsed seconds at each lap, newest first.
    const QList<double>& laps() const { return m_laps; }
    double elapsed() const;

    void start();
    void pause();
    void reset();
    // Nothing while paused.
    void lap();

    // "%02d:%02d.%02d" of minutes (not reduced to hours), seconds and hundredths, rounded down:
    // 61.5 is "01:01.50", 1.999 is "00:01.99".
    static QString format(double seconds);

Q_SIGNALS:
    void isRunningChanged();
    void lapsChanged();

private:
    std::function<QDateTime()> m_wallClock;
    double m_accumulated = 0;
    std::optional<QDateTime> m_startDate;
    QList<double> m_laps;
};

}
