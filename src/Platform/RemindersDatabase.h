#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Quickhalo {

struct ReminderList {
    QString id; // stable while the list exists
    QString title;
    bool operator==(const ReminderList&) const = default;
};

// One to-do of a list.
struct ReminderItem {
    QString uid;
    QString summary;
    std::optional<QDateTime> due; // a date-only due is 12:00 local of that day
    bool dueIsDate = false;
    bool completed = false;
    std::optional<QDateTime> created;
    std::optional<QDateTime> alarm; // when its first alert fires, if it has one
    QString file;                   // where it is kept, for the database's own use
    bool operator==(const ReminderItem&) const = default;
};

struct NewReminder {
    QString summary;
    std::optional<QDateTime> due;
    bool hasTime = false; // false: only the due's date counts
};

// The user's reminders, kept where other programs read and sync them too. Calls may wait for the
// disk: make them off the main thread, one at a time.
class RemindersDatabase {
public:
    virtual ~RemindersDatabase() = default;

    // Nothing when the reminders can be read and written; otherwise why not, in a few words.
    virtual std::optional<QString> accessProblem() = 0;
    // Every list, in a stable order; with none at all, one called "Reminders" is made first.
    virtual QList<ReminderList> lists() = 0;
    // The list's reminders that are not done. Items that cannot be read are left out (and logged).
    virtual QList<ReminderItem> openReminders(const QString& listId) = 0;
    // Nothing when it worked; otherwise why not.
    virtual std::optional<QString> add(const QString& listId, const NewReminder& reminder) = 0;
    virtual std::optional<QString> complete(const ReminderItem& item) = 0;
    // The open reminders of every list that have an alert, making nothing that is not there.
    virtual QList<ReminderItem> alertingReminders() = 0;

    // Where the reminders are kept, for the user; and the folders to watch for changes made by
    // other programs (to the shown list, and to any list's alerts). Callable from any thread.
    virtual QString location() const { return {}; }
    virtual QStringList watchedFolders(const QString& listId) const
    {
        Q_UNUSED(listId)
        return {};
    }
};

}
