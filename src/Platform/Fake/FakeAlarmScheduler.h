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

    QMap<QString, ScheduledAlarm> registered;
    QStringList calls;
};

}
