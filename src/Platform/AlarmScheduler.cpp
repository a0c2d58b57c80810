#include "Platform/AlarmScheduler.h"

#include <QTimeZone>

namespace Quickhalo {

QDateTime nextAlarmTime(const ScheduledAlarm& alarm, const QDateTime& after)
{
    const auto on = [&alarm, &after](const QDate& date) {
        const QDateTime exact(date, QTime(alarm.hour, alarm.minute), after.timeZone());
        return exact.isValid() ? exact
                               : QDateTime(date, QTime(0, 0), after.timeZone()).addSecs(alarm.hour * 3600 + alarm.minute * 60);
    };
    if (alarm.day) {
        const QDateTime once = on(*alarm.day);
        return once > after ? once : QDateTime();
    }
    QDateTime candidate = on(after.date());
    if (candidate <= after)
        candidate = on(after.date().addDays(1));
    return candidate;
}

}
