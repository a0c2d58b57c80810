#pragma once

#include "Base/SharedInstance.h"
#include "Platform/AlarmScheduler.h"
#include "Platform/RemindersDatabase.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QMap>
#include <QObject>
#include <QTimer>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace Quickhalo {

class AlarmScheduler;
class DateDetector;
class Preferences;
struct ScheduledAlarm;

// The open reminders of one list, for the reminders tool: the database is asked on a worker, one
// call at a time, and the answers are published on the main thread.
class RemindersStore final : public QObject, public Shared<RemindersStore> {
    Q_OBJECT

public:
    enum class Access { unknown, granted, denied };

    static inline const QString listKey = QStringLiteral("remindersList");
    // The systemd units of the reminders' alerts, apart from the alarms'.
    static inline const QString alertUnitPrefix = QStringLiteral("quickhalo-reminder-");

    // `alerts` rings the reminders' alerts; without it they ring nowhere.
    RemindersStore(RemindersDatabase& database, Preferences& preferences, const DateDetector& detector,
        std::function<QDateTime()> now = &QDateTime::currentDateTime, AlarmScheduler* alerts = nullptr);
    ~RemindersStore() override;

    Access access() const { return m_access; }
    // Why the reminders cannot be used, when access is denied.
    const QString& accessProblem() const { return m_accessProblem; }
    const QList<ReminderList>& lists() const { return m_lists; }
    const QList<ReminderItem>& reminders() const { return m_reminders; }
    const QString& selectedListId() const { return m_selectedListId; }
    QString location() const { return m_database.location(); }

    // Asks whether the database can be used; once granted, loads the lists and the reminders.
    void requestAccess();
    // Stored, and the reminders of that list are loaded.
    void selectList(const QString& id);
    void reload();
    // A typed line ("call mum tomorrow 6pm"); a blank one adds nothing.
    void add(const QString& text);
    void complete(const ReminderItem& item);

    // Due first, soonest first; undated ones last; equal ones oldest first.
    static void sort(QList<ReminderItem>& items);

    // Registers the alert of every open reminder of every list (those other programs gave one
    // too), withdrawing those of reminders done or gone. Also after every change seen here.
    void rescheduleAlerts();
    // A registered alert by its id, as the scheduler rings it.
    std::optional<ScheduledAlarm> alert(const QString& id) const;
    // The alert id of a reminder: the same for the same UID, shaped as the scheduler's ids are.
    static QString alertId(const QString& uid);
    static ScheduledAlarm alertOf(const ReminderItem& item);

    // Blocks until what was asked of the database so far has been answered and published.
    void waitForIdle();

Q_SIGNALS:
    void changed();

private:
    void loadLists();
    void watch();
    // Runs `work` on the worker, then `done` with its result on the main thread.
    template <typename Result> void ask(std::function<Result()> work, std::function<void(Result)> done);

    RemindersDatabase& m_database;
    Preferences& m_preferences;
    const DateDetector& m_detector;
    std::function<QDateTime()> m_now;
    Access m_access = Access::unknown;
    QString m_accessProblem;
    QList<ReminderList> m_lists;
    QList<ReminderItem> m_reminders;
    QString m_selectedListId;
    int m_pending = 0;
    AlarmScheduler* m_alerts = nullptr;
    QMap<QString, ScheduledAlarm> m_registered;
    bool m_alertsKnown = false;
    // Other programs' changes (todoman, a sync) reload the list, a moment after the last one.
    QFileSystemWatcher m_watcher;
    QTimer m_changeDelay;
    QThreadPool m_worker;
};

}
