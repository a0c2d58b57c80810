#pragma once

#include "Platform/AlarmScheduler.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace Quickhalo::SystemdUnits {

// Every unit Quickhalo writes is named "quickhalo-alarm-<id in lower case>"; nothing else in the
// user's unit folder is ever read, written or removed.
inline const QString prefix = QStringLiteral("quickhalo-alarm-");

QString baseName(const QString& alarmId, const QString& unitPrefix = prefix);
// The alarm id (upper case) of one of our unit files ("….timer" or "….service"), or nothing for
// any other name.
std::optional<QString> alarmIdOf(const QString& fileName, const QString& unitPrefix = prefix);

// The timer: a daily alarm on every day at its time, a one-time alarm on `day` only (its own day,
// when it has one). Persistent,
// so a time missed while the machine was off or asleep rings at the next start of the user
// manager; one-second accuracy instead of systemd's default minute.
QByteArray timerText(const ScheduledAlarm& alarm, const QDate& day);
// The service the timer starts: `program --fire-alarm ID`.
QByteArray serviceText(const QString& alarmId, const QString& program);

// One word of an ExecStart line, quoted so that systemd reads exactly `word`: no specifiers, no
// variables, no escapes left to interpret.
QString execArgument(const QString& word);

}
