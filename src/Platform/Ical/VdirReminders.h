#pragma once

#include "Platform/RemindersDatabase.h"

#include <QDateTime>
#include <QSet>

#include <functional>

namespace Quickhalo {

// Reminders as a vdir collection, the layout vdirsyncer syncs to any CalDAV server and todoman
// reads: each folder of the root is a list (its "displayname" file names it), each ".ics" file in
// it one to-do. Files are replaced atomically; one that cannot be read is left alone, never
// rewritten, and logged once.
class VdirReminders final : public RemindersDatabase {
public:
    explicit VdirReminders(QString root, std::function<QDateTime()> clock = &QDateTime::currentDateTime);

    // $XDG_DATA_HOME/calendars
    static QString defaultRoot();
    const QString& root() const { return m_root; }

    std::optional<QString> accessProblem() override;
    QList<ReminderList> lists() override;
    QList<ReminderItem> openReminders(const QString& listId) override;
    std::optional<QString> add(const QString& listId, const NewReminder& reminder) override;
    std::optional<QString> complete(const ReminderItem& item) override;
    QList<ReminderItem> alertingReminders() override;
    QString location() const override;
    QStringList watchedFolders(const QString& listId) const override;

    static constexpr qint64 largestFile = 1024 * 1024;

private:
    QString listFolder(const QString& listId) const;
    void reportOnce(const QString& path, const QString& why);

    QString m_root;
    std::function<QDateTime()> m_clock;
    QSet<QString> m_reported;
};

}
