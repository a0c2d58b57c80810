#pragma once

#include "Platform/AlarmScheduler.h"

#include <QMap>
#include <QStringList>

namespace Quickhalo {

// What is registered now, by id, and every call in order.
class FakeAlarmScheduler final : public AlarmScheduler {
public:
    void schedule(const ScheduledAlarm& alarm) override
    {
        registered[alarm.id] = alarm;
        calls << QStringLiteral("schedule ") + alarm.id;
    }
    void withdraw(const QString& id) override
    {
        registered.remove(id);
        calls << QStringLiteral("withdraw ") + id;
    }
    void replaceAll(const QList<ScheduledAlarm>& alarms) override
    {
        registered.clear();
        for (const ScheduledAlarm& alarm : alarms)
            registered[alarm.id] = alarm;
        calls << QStringLiteral("replaceAll %1").arg(alarms.size());
    }
    bool ringsWithoutQuickhalo() const override { return outlivesProcess; }

    bool outlivesProcess = false;

    QMap<QString, ScheduledAlarm> registered;
    QStringList calls;
};

}
