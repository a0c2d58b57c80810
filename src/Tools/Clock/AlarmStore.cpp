#include "Tools/Clock/AlarmStore.h"

#include "Base/JsonFile.h"
#include "Base/Log.h"
#include "Base/UserFile.h"
#include "Platform/AlarmScheduler.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace Quickhalo {

namespace {

constexpr qint64 largestFile = 4 * 1024 * 1024;

QString idText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<int> integer(const QJsonValue& value, int lowest, int highest)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < lowest || number > highest)
        return std::nullopt;
    return static_cast<int>(number);
}

}

QString Alarm::time() const
{
    return QString::asprintf("%02d:%02d", hour, minute);
}

QString Alarm::subtitle() const
{
    const QString repeat = repeatsDaily ? QStringLiteral("Every day") : QStringLiteral("Once");
    return label.isEmpty() ? repeat : label + QStringLiteral(" · ") + repeat;
}

AlarmStore::AlarmStore(AlarmScheduler& scheduler, QString filePath, std::function<void()> requestAuthorization)
    : m_scheduler(scheduler)
    , m_requestAuthorization(std::move(requestAuthorization))
    , m_writer(std::move(filePath))
{
    load();
}

AlarmStore::~AlarmStore() = default;

std::optional<QList<Alarm>> AlarmStore::decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<Alarm> alarms;
    for (const QJsonValue& element : document.array()) {
        const QJsonObject object = element.toObject();
        const QUuid id = QUuid::fromString(object.value(QStringLiteral("id")).toString());
        const std::optional<int> hour = integer(object.value(QStringLiteral("hour")), 0, 23);
        const std::optional<int> minute = integer(object.value(QStringLiteral("minute")), 0, 59);
        const QJsonValue label = object.value(QStringLiteral("label"));
        const QJsonValue enabled = object.value(QStringLiteral("enabled"));
        const QJsonValue repeatsDaily = object.value(QStringLiteral("repeatsDaily"));
        if (!element.isObject() || id.isNull() || !hour || !minute || !label.isString() || !enabled.isBool()
            || !repeatsDaily.isBool())
            return std::nullopt;
        alarms.append({ id, *hour, *minute, label.toString(), enabled.toBool(), repeatsDaily.toBool() });
    }
    return alarms;
}

namespace {

QJsonArray toJson(const QList<Alarm>& alarms)
{
    QJsonArray array;
    for (const Alarm& alarm : alarms) {
        array.append(QJsonObject { { QStringLiteral("id"), idText(alarm.id) }, { QStringLiteral("hour"), alarm.hour },
            { QStringLiteral("minute"), alarm.minute }, { QStringLiteral("label"), alarm.label },
            { QStringLiteral("enabled"), alarm.enabled }, { QStringLiteral("repeatsDaily"), alarm.repeatsDaily } });
    }
    return array;
}

}

QByteArray AlarmStore::encode(const QList<Alarm>& alarms)
{
    return JsonFile::encode(toJson(alarms));
}

void AlarmStore::load()
{
    const UserFile::ReadResult file = UserFile::read(m_writer.path(), largestFile);
    if (file.status == UserFile::ReadResult::Status::missing)
        return;
    if (file.isOk()) {
        if (std::optional<QList<Alarm>> alarms = decode(file.bytes)) {
            m_alarms = std::move(*alarms);
            return;
        }
    }
    // An empty list must not silently replace the user's alarms: keep them first.
    m_writer.keepBeforeReplacing();
    Log::write(QStringLiteral("%1 could not be read (%2); starting without alarms")
                   .arg(QFileInfo(m_writer.path()).fileName(), file.isOk() ? QStringLiteral("not alarms") : file.reason));
}

std::optional<Alarm> AlarmStore::alarm(const QUuid& id) const
{
    const auto found = std::find_if(m_alarms.begin(), m_alarms.end(), [&id](const Alarm& a) { return a.id == id; });
    return found != m_alarms.end() ? std::optional(*found) : std::nullopt;
}

void AlarmStore::add(const Alarm& alarm)
{
    m_alarms.append(alarm);
    std::stable_sort(m_alarms.begin(), m_alarms.end(),
        [](const Alarm& a, const Alarm& b) { return std::pair(a.hour, a.minute) < std::pair(b.hour, b.minute); });
    save();
    schedule(alarm);
}

void AlarmStore::update(const Alarm& alarm)
{
    const auto found
        = std::find_if(m_alarms.begin(), m_alarms.end(), [&alarm](const Alarm& a) { return a.id == alarm.id; });
    if (found == m_alarms.end())
        return;
    *found = alarm;
    save();
    schedule(alarm);
}

void AlarmStore::remove(const QUuid& id)
{
    m_alarms.removeIf([&id](const Alarm& a) { return a.id == id; });
    save();
    m_scheduler.withdraw(idText(id));
}

void AlarmStore::rescheduleAll()
{
    if (m_requestAuthorization && std::any_of(m_alarms.cbegin(), m_alarms.cend(), [](const Alarm& alarm) { return alarm.enabled; }))
        m_requestAuthorization();
    QList<ScheduledAlarm> enabled;
    for (const Alarm& alarm : m_alarms) {
        if (alarm.enabled)
            enabled.append(scheduled(alarm));
    }
    m_scheduler.replaceAll(enabled);
}

bool AlarmStore::ringsWithoutQuickhalo() const
{
    return m_scheduler.ringsWithoutQuickhalo();
}

ScheduledAlarm AlarmStore::scheduled(const Alarm& alarm)
{
    return { idText(alarm.id), alarm.hour, alarm.minute, alarm.repeatsDaily,
        alarm.label.isEmpty() ? QStringLiteral("Alarm") : alarm.label, alarm.time() };
}

void AlarmStore::fired(const QUuid& id)
{
    std::optional<Alarm> rung = alarm(id);
    if (!rung || rung->repeatsDaily || !rung->enabled)
        return;
    rung->enabled = false;
    update(*rung);
}

void AlarmStore::save()
{
    m_writer.save(toJson(m_alarms));
    Q_EMIT alarmsChanged();
}

void AlarmStore::schedule(const Alarm& alarm)
{
    // Registering replaces what the id had: a change is one step for the scheduler, not two.
    if (!alarm.enabled) {
        m_scheduler.withdraw(idText(alarm.id));
        return;
    }
    if (m_requestAuthorization)
        m_requestAuthorization();
    m_scheduler.schedule(scheduled(alarm));
}

}
