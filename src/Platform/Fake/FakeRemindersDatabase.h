#pragma once

#include "Platform/RemindersDatabase.h"

#include <QMap>
#include <QMutex>
#include <QStringList>

namespace Quickhalo {

// Lists and their items in memory; every call recorded. Called from the store's worker.
class FakeRemindersDatabase final : public RemindersDatabase {
public:
    std::optional<QString> accessProblem() override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("access");
        return problem;
    }
    QList<ReminderList> lists() override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("lists");
        return listed;
    }
    QList<ReminderItem> openReminders(const QString& listId) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("open ") + listId;
        QList<ReminderItem> open;
        for (const ReminderItem& item : items.value(listId)) {
            if (!item.completed)
                open << item;
        }
        return open;
    }
    std::optional<QString> add(const QString& listId, const NewReminder& reminder) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("add ") + listId;
        added << reminder;
        items[listId] << ReminderItem { QStringLiteral("new-%1").arg(added.size()), reminder.summary, reminder.due,
            !reminder.hasTime && reminder.due, false, {}, reminder.hasTime ? reminder.due : std::nullopt, {} };
        return std::nullopt;
    }
    std::optional<QString> complete(const ReminderItem& item) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("complete ") + item.uid;
        for (QList<ReminderItem>& list : items) {
            for (ReminderItem& entry : list) {
                if (entry.uid == item.uid)
                    entry.completed = true;
            }
        }
        return std::nullopt;
    }

    QList<ReminderItem> alertingReminders() override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("alerting");
        QList<ReminderItem> alerting;
        for (const QList<ReminderItem>& list : items) {
            for (const ReminderItem& item : list) {
                if (!item.completed && item.alarm)
                    alerting << item;
            }
        }
        return alerting;
    }

    QMutex mutex;
    std::optional<QString> problem;
    QList<ReminderList> listed;
    QMap<QString, QList<ReminderItem>> items;
    QList<NewReminder> added;
    QStringList calls;
};

}
