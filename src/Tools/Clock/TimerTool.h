#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

#include "Base/SharedInstance.h"
#include "Tools/Clock/ClockAlerts.h"

namespace Quickhalo {

class Clock;
class RepeatingTimer;

// The countdown timer: one for the whole process, so it keeps running while its page is closed.
// It counts against the wall clock, so a laptop that wakes past the end finishes at the first
// tick with the right text.
class TimerTool final : public QObject, public Shared<TimerTool> {
    Q_OBJECT

public:
    static constexpr double presets[] = { 1, 5, 10, 25 };

    TimerTool(Clock& clock, ClockAlerts alerts, std::function<QDateTime()> wallClock = &QDateTime::currentDateTimeUtc);
    ~TimerTool() override;

    // Whole seconds left, rounded up; nothing while no timer runs.
    std::optional<qint64> remaining() const { return m_remaining; }
    bool isRunning() const { return m_remaining.has_value(); }
    // "01:30"; "00:00" while none runs.
    QString display() const { return minutesAndSeconds(m_remaining.value_or(0)); }

    // Starts or replaces the countdown; nothing for minutes that are not positive, not finite or
    // too many to count.
    void start(double minutes);
    // Stops without a sound, a notification or a toast; nothing when none runs.
    void cancel();
    // Driven each time the shown second changes, while running.
    void tick();

    // The custom-minutes field: the whole text is one number with a "." and maybe an exponent;
    // nothing otherwise. A value that is not positive is still a number (Start is enabled for it).
    static std::optional<double> parseMinutes(const QString& text);

Q_SIGNALS:
    void remainingChanged();

private:
    // Wakes for the next change of the shown second.
    void arm();
    void setRemaining(std::optional<qint64> remaining);

    Clock& m_clock;
    ClockAlerts m_alerts;
    std::function<QDateTime()> m_wallClock;
    std::optional<qint64> m_remaining;
    std::optional<QDateTime> m_endDate;
    std::unique_ptr<RepeatingTimer> m_timer;
};

}
