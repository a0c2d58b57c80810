#include "Tools/Reminders/RemindersStore.h"

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Tools/Reminders/ReminderText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSet>
#include <QUuid>

#include <algorithm>

namespace Quickhalo {

RemindersStore::RemindersStore(RemindersDatabase& database, Preferences& preferences, const DateDetector& detector,
    std::function<QDateTime()> now, AlarmScheduler* alerts)
    : m_database(database)
    , m_preferences(preferences)
    , m_detector(detector)
    , m_now(std::move(now))
    , m_selectedListId(preferences.text(listKey).value_or(QString()))
    , m_alerts(alerts)
{
    m_worker.setMaxThreadCount(1);
    m_changeDelay.setSingleShot(true);
    m_changeDelay.setInterval(250);
    connect(&m_changeDelay, &QTimer::timeout, this, [this] {
        if (m_access == Access::granted)
            loadLists();
        else
            rescheduleAlerts();
    });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_changeDelay, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_changeDelay, qOverload<>(&QTimer::start));
}

void RemindersStore::watch()
{
    // Listing the folders is disk work too: on the worker.
    const QString list = m_selectedListId;
    ask<QStringList>([this, list] { return m_database.watchedFolders(list); },
        [this](QStringList wanted) {
            const QStringList watched = m_watcher.directories();
            if (QSet<QString>(wanted.cbegin(), wanted.cend()) == QSet<QString>(watched.cbegin(), watched.cend()))
                return;
            if (!watched.isEmpty())
                m_watcher.removePaths(watched);
            if (!wanted.isEmpty())
                m_watcher.addPaths(wanted);
            // What changed between the last read and now went unseen: look once more.
            m_changeDelay.start();
        });
}

RemindersStore::~RemindersStore()
{
    m_worker.waitForDone();
}

template <typename Result> void RemindersStore::ask(std::function<Result()> work, std::function<void(Result)> done)
{
    ++m_pending;
    m_worker.start([this, work = std::move(work), done = std::move(done)] {
        Result result = work();
        // The store outlives its worker's tasks (it waits for them); an answer still queued when
        // it goes is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, done, result = std::move(result)] {
                --m_pending;
                done(result);
            },
            Qt::QueuedConnection);
    });
}

void RemindersStore::waitForIdle()
{
    while (m_pending > 0) {
        m_worker.waitForDone();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

void RemindersStore::requestAccess()
{
    ask<std::optional<QString>>([this] { return m_database.accessProblem(); },
        [this](std::optional<QString> problem) {
            m_access = problem ? Access::denied : Access::granted;
            m_accessProblem = problem.value_or(QString());
            Q_EMIT changed();
            if (!problem)
                loadLists();
        });
}

void RemindersStore::loadLists()
{
    ask<QList<ReminderList>>([this] { return m_database.lists(); },
        [this](QList<ReminderList> lists) {
            m_lists = std::move(lists);
            const bool known = std::any_of(
                m_lists.cbegin(), m_lists.cend(), [this](const ReminderList& list) { return list.id == m_selectedListId; });
            if (known) {
                Q_EMIT changed();
                reload();
                return;
            }
            // The default list: the one called "Reminders", else the first.
            const auto reminders = std::find_if(m_lists.cbegin(), m_lists.cend(),
                [](const ReminderList& list) { return list.title == QStringLiteral("Reminders"); });
            selectList(reminders != m_lists.cend() ? reminders->id : m_lists.isEmpty() ? QString() : m_lists.first().id);
        });
}

void RemindersStore::selectList(const QString& id)
{
    m_selectedListId = id;
    if (id.isEmpty())
        m_preferences.remove(listKey);
    else
        m_preferences.setText(listKey, id);
    m_reminders.clear();
    Q_EMIT changed();
    reload();
}

void RemindersStore::reload()
{
    if (m_access != Access::granted || m_selectedListId.isEmpty())
        return;
    const QString list = m_selectedListId;
    ask<QList<ReminderItem>>([this, list] { return m_database.openReminders(list); },
        [this, list](QList<ReminderItem> items) {
            if (list != m_selectedListId)
                return;
            sort(items);
            m_reminders = std::move(items);
            watch();
            Q_EMIT changed();
            rescheduleAlerts();
        });
}

void RemindersStore::add(const QString& text)
{
    const ReminderText::Result result = ReminderText::extract(text, m_now(), m_detector);
    if (result.title.isEmpty() || m_access != Access::granted || m_selectedListId.isEmpty())
        return;
    const QString list = m_selectedListId;
    const NewReminder reminder { result.title, result.date, result.hasTime };
    ask<std::optional<QString>>([this, list, reminder] { return m_database.add(list, reminder); },
        [this](std::optional<QString> failure) {
            if (failure)
                Log::write(QStringLiteral("could not add the reminder: ") + *failure);
            reload();
        });
}

void RemindersStore::complete(const ReminderItem& item)
{
    ask<std::optional<QString>>([this, item] { return m_database.complete(item); },
        [this](std::optional<QString> failure) {
            if (failure)
                Log::write(QStringLiteral("could not tick off the reminder: ") + *failure);
            reload();
        });
}

QString RemindersStore::alertId(const QString& uid)
{
    static const QUuid space(QStringLiteral("6f4e1c52-9b7a-4d7e-8a51-3c0d2f9e4b17"));
    return QUuid::createUuidV5(space, uid).toString(QUuid::WithoutBraces).toUpper();
}

ScheduledAlarm RemindersStore::alertOf(const ReminderItem& item)
{
    const QDateTime at = item.alarm ? item.alarm->toLocalTime() : QDateTime();
    ScheduledAlarm alarm { alertId(item.uid), at.time().hour(), at.time().minute(), false,
        item.summary.isEmpty() ? QStringLiteral("Untitled") : item.summary,
        QStringLiteral("Reminder, due ") + (item.due ? item.due->toLocalTime().toString(QStringLiteral("HH:mm")) : at.toString(QStringLiteral("HH:mm"))) };
    alarm.day = at.date();
    return alarm;
}

void RemindersStore::rescheduleAlerts()
{
    if (!m_alerts)
        return;
    ask<QList<ReminderItem>>([this] { return m_database.alertingReminders(); },
        [this](QList<ReminderItem> items) {
            watch();
            QMap<QString, ScheduledAlarm> registered;
            for (const ReminderItem& item : items)
                registered.insert(alertId(item.uid), alertOf(item));
            // The first time also withdraws what an earlier run left registered.
            if (m_alertsKnown && registered == m_registered)
                return;
            m_alertsKnown = true;
            m_registered = std::move(registered);
            m_alerts->replaceAll(m_registered.values());
        });
}

std::optional<ScheduledAlarm> RemindersStore::alert(const QString& id) const
{
    const auto found = m_registered.constFind(id);
    return found == m_registered.cend() ? std::nullopt : std::optional(*found);
}

void RemindersStore::sort(QList<ReminderItem>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const ReminderItem& a, const ReminderItem& b) {
        if (a.due.has_value() != b.due.has_value())
            return a.due.has_value();
        if (a.due && *a.due != *b.due)
            return *a.due < *b.due;
        // A missing creation date counts as the distant past.
        const qint64 createdA = a.created ? a.created->toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
        const qint64 createdB = b.created ? b.created->toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
        return createdA < createdB;
    });
}

}
