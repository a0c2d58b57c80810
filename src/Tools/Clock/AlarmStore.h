#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

#include "Base/JsonFileWriter.h"
#include "Base/SharedInstance.h"

namespace Quickhalo {

class AlarmScheduler;
struct ScheduledAlarm;

struct Alarm {
    QUuid id;
    int hour = 0;   // 0–23, local time
    int minute = 0; // 0–59
    QString label;
    bool enabled = true;
    bool repeatsDaily = false;
    bool operator==(const Alarm&) const = default;

    // "07:05"
    QString time() const;
    // The label and "Every day" or "Once", the empty ones left out, joined by " · ".
    QString subtitle() const;
};

// The alarms, sorted by time of day, in "alarms.json"; each enabled one registered with the
// scheduler. Every change is saved at once.
class AlarmStore final : public QObject, public Shared<AlarmStore> {
    Q_OBJECT

public:
    static inline const QString fileName = QStringLiteral("alarms.json");

    AlarmStore(AlarmScheduler& scheduler, QString filePath, std::function<void()> requestAuthorization = {});
    ~AlarmStore() override;

    const QList<Alarm>& alarms() const { return m_alarms; }
    std::optional<Alarm> alarm(const QUuid& id) const;

    void add(const Alarm& alarm);
    // Nothing when no alarm has its id.
    void update(const Alarm& alarm);
    void remove(const QUuid& id);
    // Registers exactly the enabled alarms, withdrawing whatever else the scheduler holds.
    void rescheduleAll();
    bool ringsWithoutQuickhalo() const;
    // A one-time alarm has rung: it is switched off, so that it does not ring again tomorrow.
    void fired(const QUuid& id);

    void waitForWrites() { m_writer.waitForWrites(); }

    // The file's format: an array of objects with exactly the six keys; nothing for anything else.
    static std::optional<QList<Alarm>> decode(const QByteArray& bytes);
    static QByteArray encode(const QList<Alarm>& alarms);
    // How the alarm is registered and rung: its title ("Alarm" without a label) and body (its time).
    static ScheduledAlarm scheduled(const Alarm& alarm);

Q_SIGNALS:
    void alarmsChanged();

private:
    void load();
    void save();
    void schedule(const Alarm& alarm);

    AlarmScheduler& m_scheduler;
    std::function<void()> m_requestAuthorization;
    QList<Alarm> m_alarms;
    JsonFileWriter m_writer;
};

}
