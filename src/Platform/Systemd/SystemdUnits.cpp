#include "Platform/Systemd/SystemdUnits.h"

#include <QRegularExpression>

namespace Quickhalo::SystemdUnits {

namespace {

QString clockTime(const ScheduledAlarm& alarm)
{
    return QString::asprintf("%02d:%02d", alarm.hour, alarm.minute);
}

}

QString baseName(const QString& alarmId, const QString& unitPrefix)
{
    return unitPrefix + alarmId.toLower();
}

std::optional<QString> alarmIdOf(const QString& fileName, const QString& unitPrefix)
{
    static const QRegularExpression id(QStringLiteral("^([0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})\\.(timer|service)$"));
    if (!fileName.startsWith(unitPrefix))
        return std::nullopt;
    const QRegularExpressionMatch match = id.match(QStringView(fileName).mid(unitPrefix.size()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toUpper();
}

QByteArray timerText(const ScheduledAlarm& alarm, const QDate& day)
{
    const QString when = alarm.day ? alarm.day->toString(Qt::ISODate)
        : alarm.repeatsDaily       ? QStringLiteral("*-*-*")
                                   : day.toString(Qt::ISODate);
    return QStringLiteral("# Written by Quickhalo for one of its alarms; Quickhalo replaces and removes it.\n"
                          "[Unit]\n"
                          "Description=Quickhalo alarm at %1\n"
                          "\n"
                          "[Timer]\n"
                          "OnCalendar=%2 %1:00\n"
                          "Persistent=true\n"
                          "AccuracySec=1s\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=timers.target\n")
        .arg(clockTime(alarm), when)
        .toUtf8();
}

QByteArray serviceText(const QString& alarmId, const QString& program)
{
    return QStringLiteral("# Written by Quickhalo for one of its alarms; Quickhalo replaces and removes it.\n"
                          "[Unit]\n"
                          "Description=Quickhalo alarm\n"
                          "\n"
                          "[Service]\n"
                          "Type=oneshot\n"
                          "ExecStart=%1 --fire-alarm %2\n")
        .arg(execArgument(program), execArgument(alarmId))
        .toUtf8();
}

QString execArgument(const QString& word)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('%'))
            quoted += QStringLiteral("%%");
        else if (c == QLatin1Char('$'))
            quoted += QStringLiteral("$$");
        else if (c == QLatin1Char('\n'))
            quoted += QStringLiteral("\\n");
        else
            quoted += c;
    }
    return quoted + QLatin1Char('"');
}

}
