#pragma once

#include <QString>

namespace Quickhalo {

// One alarm as the system's scheduler sees it: a wall-clock time of day, once or daily.
struct ScheduledAlarm {
    QString id; // the alarm's id, upper-case UUID text
    int hour = 0;
    int minute = 0;
    bool repeatsDaily = false;
    QString title;
    QString body;
    bool operator==(const ScheduledAlarm&) const = default;
};

// Where alarms are registered so that they ring at their time, ideally also while Quickhalo is
// not running. Registering an id again replaces what was there.
class AlarmScheduler {
public:
    virtual ~AlarmScheduler() = default;
    virtual void schedule(const ScheduledAlarm& alarm) = 0;
    virtual void withdraw(const QString& id) = 0;
};

}
