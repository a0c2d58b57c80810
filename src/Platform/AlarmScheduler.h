#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace Quickhalo {

// One alarm as the system's scheduler sees it: a wall-clock time of day, once or daily.
struct ScheduledAlarm {
    QString id; // the alarm's id, upper-case UUID text
    int hour = 0;
    int minute = 0;
    bool repeatsDaily = false;
    QString title;
    QString body;
    // Set: it rings once, on that day (a reminder's alert); `repeatsDaily` does not count then.
    std::optional<QDate> day = {};
    bool operator==(const ScheduledAlarm&) const = default;
};

// Where alarms are registered so that they ring at their time, ideally also while Quickhalo is
// not running. Registering an id again replaces what was there.
class AlarmScheduler {
public:
    virtual ~AlarmScheduler() = default;
    virtual void schedule(const ScheduledAlarm& alarm) = 0;
    virtual void withdraw(const QString& id) = 0;
    // Afterwards exactly `alarms` are registered: what was registered before and is not among
    // them is withdrawn.
    virtual void replaceAll(const QList<ScheduledAlarm>& alarms) = 0;
    // Whether registered alarms also ring while Quickhalo is not running.
    virtual bool ringsWithoutQuickhalo() const = 0;
};

// The first moment after `after` at which a local clock shows the alarm's hour and minute (on its
// day only, for one with a day: an invalid time once that has passed). A time the clocks skip that
// day (spring forward) comes as far after midnight as it says.
QDateTime nextAlarmTime(const ScheduledAlarm& alarm, const QDateTime& after);

}
