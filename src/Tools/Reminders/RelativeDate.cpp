#include "Tools/Reminders/RelativeDate.h"

#include <QTimeZone>

namespace Quickhalo::RelativeDate {

namespace {

QString count(qint64 amount, const char* unit)
{
    return QStringLiteral("%1 %2%3").arg(amount).arg(QLatin1String(unit), amount == 1 ? QString() : QStringLiteral("s"));
}

}

QString describe(const QDateTime& moment, const QDateTime& now)
{
    const qint64 seconds = now.secsTo(moment);
    const bool future = seconds >= 0;
    const qint64 distance = future ? seconds : -seconds;
    const auto relative = [future](const QString& amount) -> QString {
        return future ? QString(QStringLiteral("in ") + amount) : QString(amount + QStringLiteral(" ago"));
    };
    if (distance < 60)
        return QStringLiteral("now");
    if (distance < 3600)
        return relative(count(distance / 60, "minute"));
    if (distance < 86400)
        return relative(count(distance / 3600, "hour"));
    const qint64 days = now.date().daysTo(moment.toTimeZone(now.timeZone()).date());
    if (days == 1)
        return QStringLiteral("tomorrow");
    if (days == -1)
        return QStringLiteral("yesterday");
    const qint64 dayDistance = days < 0 ? -days : days;
    if (dayDistance < 7)
        return relative(count(dayDistance, "day"));
    if (dayDistance < 30)
        return relative(count(dayDistance / 7, "week"));
    if (dayDistance < 365)
        return relative(count(dayDistance / 30, "month"));
    return relative(count(dayDistance / 365, "year"));
}

}
