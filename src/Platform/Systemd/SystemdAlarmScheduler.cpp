#include "Platform/Systemd/SystemdAlarmScheduler.h"

#include "Base/Log.h"
#include "Base/UserFile.h"
#include "Platform/Systemd/SystemdUnits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QTimeZone>

namespace Quickhalo {

namespace {

constexpr qint64 largestUnit = 64 * 1024;
constexpr int systemctlTimeoutMilliseconds = 15000;
const QString wantsFolder = QStringLiteral("timers.target.wants");

QString timerName(const QString& id, const QString& prefix)
{
    return SystemdUnits::baseName(id, prefix) + QStringLiteral(".timer");
}

QString serviceName(const QString& id, const QString& prefix)
{
    return SystemdUnits::baseName(id, prefix) + QStringLiteral(".service");
}

void removeUnitFiles(const QDir& folder, const QString& id, const QString& prefix)
{
    for (const QString& name : QStringList { wantsFolder + QLatin1Char('/') + timerName(id, prefix), timerName(id, prefix), serviceName(id, prefix) }) {
        const QString path = folder.filePath(name);
        if ((QFileInfo(path).isSymLink() || QFileInfo::exists(path)) && !QFile::remove(path))
            Log::write(QStringLiteral("could not remove the alarm unit %1").arg(path));
    }
}

// Stops the timers and clears their last-rung stamps, ready to be replaced or removed.
void stopTimers(const QStringList& timers, const SystemdAlarmScheduler::Systemctl& systemctl)
{
    systemctl(QStringList { QStringLiteral("stop") } + timers);
    // A failed timer stays failed when stopped, and only a dead one can be cleaned.
    systemctl(QStringList { QStringLiteral("reset-failed") } + timers);
    if (systemctl(QStringList { QStringLiteral("clean"), QStringLiteral("--what=state") } + timers) != 0)
        Log::write(QStringLiteral("systemctl --user clean failed; an alarm whose time has passed today may ring once now"));
}

}

void SystemdAlarmScheduler::removeUnits(
    const QString& unitFolder, const QString& id, const QString& unitPrefix, const Systemctl& systemctl)
{
    const QDir folder(unitFolder);
    if (!QFileInfo::exists(folder.filePath(timerName(id, unitPrefix))) && !QFileInfo::exists(folder.filePath(serviceName(id, unitPrefix))))
        return;
    stopTimers({ timerName(id, unitPrefix) }, systemctl);
    removeUnitFiles(folder, id, unitPrefix);
    systemctl({ QStringLiteral("daemon-reload") });
}

SystemdAlarmScheduler::SystemdAlarmScheduler(Setup setup, AlarmScheduler& fallback, std::function<void()> onFallback)
    : m_setup(std::move(setup))
    , m_fallback(fallback)
    , m_onFallback(std::move(onFallback))
{
    m_worker.setMaxThreadCount(1);
}

SystemdAlarmScheduler::~SystemdAlarmScheduler()
{
    m_worker.waitForDone();
}

QString SystemdAlarmScheduler::defaultUnitFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/systemd/user");
}

int SystemdAlarmScheduler::runSystemctl(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("systemctl"), QStringList { QStringLiteral("--user") } + arguments);
    if (!process.waitForStarted(systemctlTimeoutMilliseconds))
        return -1;
    if (!process.waitForFinished(systemctlTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void SystemdAlarmScheduler::schedule(const ScheduledAlarm& alarm)
{
    if (m_fellBack) {
        m_fallback.schedule(alarm);
        return;
    }
    m_wanted[alarm.id] = alarm;
    queueSync();
}

void SystemdAlarmScheduler::withdraw(const QString& id)
{
    if (m_fellBack) {
        m_fallback.withdraw(id);
        return;
    }
    if (m_wanted.remove(id))
        queueSync();
}

void SystemdAlarmScheduler::replaceAll(const QList<ScheduledAlarm>& alarms)
{
    if (m_fellBack) {
        m_fallback.replaceAll(alarms);
        return;
    }
    m_wanted.clear();
    for (const ScheduledAlarm& alarm : alarms)
        m_wanted[alarm.id] = alarm;
    // Also when nothing changed here: the folder may hold what an earlier run left.
    queueSync();
}

void SystemdAlarmScheduler::waitForSync()
{
    m_worker.waitForDone();
}

void SystemdAlarmScheduler::queueSync()
{
    QMutexLocker lock(&m_mutex);
    const bool queued = m_pending.has_value();
    m_pending = m_wanted;
    if (queued)
        return;
    m_worker.start([this] {
        QMap<QString, ScheduledAlarm> wanted;
        {
            QMutexLocker taking(&m_mutex);
            wanted = std::move(*m_pending);
            m_pending.reset();
        }
        sync(wanted);
    });
}

void SystemdAlarmScheduler::sync(const QMap<QString, ScheduledAlarm>& wanted)
{
    if (!m_managerAnswers) {
        for (int attempt = 1; !m_managerAnswers.value_or(false) && attempt <= m_setup.probeAttempts; ++attempt) {
            if (attempt > 1)
                QThread::sleep(1);
            const int status = m_setup.systemctl({ QStringLiteral("show"), QStringLiteral("--property=Version") });
            m_managerAnswers = status == 0;
            if (status == -1) // no systemctl at all
                break;
        }
        if (!*m_managerAnswers) {
            Log::write(QStringLiteral("no systemd user manager answers; alarms ring only while Quickhalo runs"));
            QMetaObject::invokeMethod(this, [this] { fallBack(); }, Qt::QueuedConnection);
        }
    }
    if (!*m_managerAnswers)
        return;

    const QDir folder(m_setup.unitFolder);
    QSet<QString> present;
    for (const QString& name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (const std::optional<QString> id = SystemdUnits::alarmIdOf(name, m_setup.unitPrefix))
            present.insert(*id);
    }

    // What each wanted alarm's files should say; only those that differ are written.
    const QDateTime now = m_setup.localClock();
    struct Units {
        QString id;
        QByteArray timer;
        QByteArray service;
    };
    QList<Units> writes;
    QSet<QString> live;
    for (const ScheduledAlarm& alarm : wanted) {
        const UserFile::ReadResult oldTimer = UserFile::read(folder.filePath(timerName(alarm.id, m_setup.unitPrefix)), largestUnit);
        // A one-time alarm's day is the next on which its time comes; once that has passed (it
        // rang, or nothing ran to ring it), the next day is.
        const QDateTime next = nextAlarmTime(alarm, now);
        // A reminder's alert whose moment has passed has nothing left to ring.
        if (!next.isValid())
            continue;
        live.insert(alarm.id);
        const QDate day = next.date();
        Units units { alarm.id, SystemdUnits::timerText(alarm, day), SystemdUnits::serviceText(alarm.id, m_setup.program) };
        const UserFile::ReadResult oldService = UserFile::read(folder.filePath(serviceName(alarm.id, m_setup.unitPrefix)), largestUnit);
        const bool linked = QFileInfo(folder.filePath(wantsFolder + QLatin1Char('/') + timerName(alarm.id, m_setup.unitPrefix))).isSymLink();
        if (!oldTimer.isOk() || oldTimer.bytes != units.timer || !oldService.isOk() || oldService.bytes != units.service
            || !linked || m_unstarted.contains(alarm.id))
            writes.append(std::move(units));
    }
    QStringList gone;
    for (const QString& id : present) {
        if (!live.contains(id))
            gone.append(id);
    }
    if (writes.isEmpty() && gone.isEmpty())
        return;

    // A timer that is replaced or removed loses its last-rung stamp first: with it, a persistent
    // timer whose new time has already passed today would ring the moment it starts.
    QStringList stopping;
    for (const Units& units : writes) {
        if (present.contains(units.id))
            stopping.append(timerName(units.id, m_setup.unitPrefix));
    }
    for (const QString& id : gone)
        stopping.append(timerName(id, m_setup.unitPrefix));
    if (!stopping.isEmpty())
        stopTimers(stopping, m_setup.systemctl);
    for (const QString& id : gone)
        removeUnitFiles(folder, id, m_setup.unitPrefix);
    QStringList starting;
    QStringList startingIds;
    for (const Units& units : writes) {
        const QString timerPath = folder.filePath(timerName(units.id, m_setup.unitPrefix));
        std::optional<QString> failure = UserFile::write(folder.filePath(serviceName(units.id, m_setup.unitPrefix)), units.service);
        if (!failure)
            failure = UserFile::write(timerPath, units.timer);
        // What `systemctl enable` does, without a second process per alarm.
        const QString link = folder.filePath(wantsFolder + QLatin1Char('/') + timerName(units.id, m_setup.unitPrefix));
        if (!failure && !QFileInfo(link).isSymLink()) {
            if (!folder.mkpath(wantsFolder) || !QFile::link(timerPath, link))
                failure = QStringLiteral("could not link it into %1").arg(wantsFolder);
        }
        if (failure)
            Log::write(QStringLiteral("could not register the alarm %1 with systemd: %2").arg(units.id, *failure));
        else {
            starting.append(timerName(units.id, m_setup.unitPrefix));
            startingIds.append(units.id);
        }
    }
    for (const QString& id : gone)
        m_unstarted.remove(id);
    if (m_setup.systemctl({ QStringLiteral("daemon-reload") }) != 0)
        Log::write(QStringLiteral("systemctl --user daemon-reload failed; alarm changes take effect at the next login"));
    if (starting.isEmpty())
        return;
    const bool started = m_setup.systemctl(QStringList { QStringLiteral("start") } + starting) == 0;
    for (const QString& id : startingIds) {
        if (started)
            m_unstarted.remove(id);
        else
            m_unstarted.insert(id);
    }
    if (!started)
        Log::write(QStringLiteral("systemctl --user could not start the timers %1; tried again at the next change")
                       .arg(starting.join(QStringLiteral(", "))));
}

void SystemdAlarmScheduler::fallBack()
{
    if (m_fellBack)
        return;
    m_fellBack = true;
    m_fallback.replaceAll(m_wanted.values());
    if (m_onFallback)
        m_onFallback();
}

}
