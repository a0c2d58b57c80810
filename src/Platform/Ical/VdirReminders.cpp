#include "Platform/Ical/VdirReminders.h"

#include "Base/Log.h"
#include "Base/UserFile.h"
#include "Platform/Ical/IcalTodo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

namespace Quickhalo {

namespace {

constexpr qint64 largestName = 4096;

bool isListName(const QString& id)
{
    return !id.isEmpty() && !id.startsWith(u'.') && !id.contains(u'/');
}

}

VdirReminders::VdirReminders(QString root, std::function<QDateTime()> clock)
    : m_root(std::move(root))
    , m_clock(std::move(clock))
{
}

QString VdirReminders::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/calendars");
}

QString VdirReminders::listFolder(const QString& listId) const
{
    return m_root + QLatin1Char('/') + listId;
}

void VdirReminders::reportOnce(const QString& path, const QString& why)
{
    const std::optional<UserFile::Identity> identity = UserFile::identify(path);
    const QString key = path + QLatin1Char('|')
        + (identity ? QString::number(identity->inode) + QLatin1Char(':') + QString::number(identity->modifiedNanoseconds) : QString());
    if (m_reported.contains(key))
        return;
    m_reported.insert(key);
    Log::write(QStringLiteral("skipped the reminder file %1: %2").arg(path, why));
}

QList<ReminderItem> VdirReminders::alertingReminders()
{
    QList<ReminderItem> alerting;
    const QDir root(m_root);
    if (!root.exists())
        return alerting;
    for (const QString& id : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!isListName(id))
            continue;
        for (const ReminderItem& item : openReminders(id)) {
            if (item.alarm)
                alerting << item;
        }
    }
    return alerting;
}

QString VdirReminders::location() const
{
    const QString home = QDir::homePath();
    return m_root.startsWith(home + QLatin1Char('/')) ? QStringLiteral("~") + m_root.mid(home.size()) : m_root;
}

QStringList VdirReminders::watchedFolders(const QString& listId) const
{
    // Every list, not only the shown one: any of them may hold an alert.
    Q_UNUSED(listId)
    const QDir root(m_root);
    if (!root.exists())
        return {};
    QStringList folders { m_root };
    for (const QString& id : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (isListName(id))
            folders << listFolder(id);
    }
    return folders;
}

std::optional<QString> VdirReminders::accessProblem()
{
    const QFileInfo root(m_root);
    if (!root.exists() && !QDir().mkpath(m_root))
        return QStringLiteral("%1 could not be made").arg(m_root);
    if (!root.isDir())
        return QStringLiteral("%1 is not a folder").arg(m_root);
    if (!root.isReadable() || !root.isWritable() || !root.isExecutable())
        return QStringLiteral("%1 cannot be read and written").arg(m_root);
    return std::nullopt;
}

QList<ReminderList> VdirReminders::lists()
{
    QList<ReminderList> lists;
    const QDir root(m_root);
    for (const QString& id : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!isListName(id))
            continue;
        const UserFile::ReadResult name = UserFile::read(root.filePath(id + QStringLiteral("/displayname")), largestName);
        const QString title = name.isOk() ? QString::fromUtf8(name.bytes).section(u'\n', 0, 0).trimmed() : QString();
        lists.append({ id, title.isEmpty() ? id : title });
    }
    if (!lists.isEmpty())
        return lists;
    // The first use makes the list everyone's reminders go to.
    const QString id = QStringLiteral("reminders");
    if (!QDir().mkpath(listFolder(id)))
        return {};
    if (const std::optional<QString> failure = UserFile::write(listFolder(id) + QStringLiteral("/displayname"), "Reminders\n"))
        Log::write(QStringLiteral("could not name the new reminders list: ") + *failure);
    return { { id, QStringLiteral("Reminders") } };
}

QList<ReminderItem> VdirReminders::openReminders(const QString& listId)
{
    QList<ReminderItem> items;
    if (!isListName(listId))
        return items;
    const QDir folder(listFolder(listId));
    for (const QString& name : folder.entryList({ QStringLiteral("*.ics") }, QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        const QString path = folder.filePath(name);
        const UserFile::ReadResult file = UserFile::read(path, largestFile);
        if (!file.isOk()) {
            reportOnce(path, file.reason);
            continue;
        }
        QString why;
        std::optional<ReminderItem> item = IcalTodo::read(file.bytes, &why);
        if (!item) {
            reportOnce(path, why);
            continue;
        }
        if (item->completed)
            continue;
        item->file = path;
        items.append(*item);
    }
    return items;
}

std::optional<QString> VdirReminders::add(const QString& listId, const NewReminder& reminder)
{
    if (!isListName(listId) || !QFileInfo(listFolder(listId)).isDir())
        return QStringLiteral("the list is gone");
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@quickhalo");
    const QString path = listFolder(listId) + QLatin1Char('/') + uid + QStringLiteral(".ics");
    return UserFile::write(path, IcalTodo::create({ uid, reminder }, m_clock()));
}

std::optional<QString> VdirReminders::complete(const ReminderItem& item)
{
    // Only a file of one of the lists, never a path from elsewhere.
    const QFileInfo file(item.file);
    if (QFileInfo(file.absolutePath()).absolutePath() != QFileInfo(m_root).absoluteFilePath())
        return QStringLiteral("it is not in the reminders folder");
    const UserFile::ReadResult current = UserFile::read(item.file, largestFile);
    if (!current.isOk())
        return current.reason;
    QString why;
    const std::optional<ReminderItem> now = IcalTodo::read(current.bytes, &why);
    if (!now)
        return why;
    if (now->uid != item.uid)
        return QStringLiteral("the file now holds another reminder");
    const std::optional<QByteArray> done = IcalTodo::complete(current.bytes, m_clock(), &why);
    if (!done)
        return why;
    return UserFile::write(item.file, *done);
}

}
