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
#include <QTimeZone>

namespace Quickhalo {

namespace {

constexpr qint64 largestUnit = 64 * 1024;
constexpr int systemctlTimeoutMilliseconds = 15000;
const QString wantsFolder = QStringLiteral("timers.target.wants");

QString timerName(const QString& id)
{
    return SystemdUnits::baseName(id) + QStringLiteral(".timer");
}

QString serviceName(const QString& id)
{
    return SystemdUnits::baseName(id) + QStringLiteral(".service");
}

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
        m_managerAnswers = m_setup.systemctl({ QStringLiteral("show"), QStringLiteral("--property=Version") }) == 0;
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
        if (const std::optional<QString> id = SystemdUnits::alarmIdOf(name))
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
    for (const ScheduledAlarm& alarm : wanted) {
        const QString timerPath = folder.filePath(timerName(alarm.id));
        const UserFile::ReadResult oldTimer = UserFile::read(timerPath, largestUnit);
        QDate day = nextAlarmTime(alarm, now).date();
        // A one-time alarm still to come keeps its day, rather than moving on past midnight.
        if (!alarm.repeatsDaily && oldTimer.isOk()) {
            const std::optional<QDate> kept = SystemdUnits::onceDay(oldTimer.bytes);
            if (kept && QDateTime(*kept, QTime(alarm.hour, alarm.minute), now.timeZone()) > now)
                day = *kept;
        }
        Units units { alarm.id, SystemdUnits::timerText(alarm, day), SystemdUnits::serviceText(alarm.id, m_setup.program) };
        const UserFile::ReadResult oldService = UserFile::read(folder.filePath(serviceName(alarm.id)), largestUnit);
        const bool linked = QFileInfo(folder.filePath(wantsFolder + QLatin1Char('/') + timerName(alarm.id))).isSymLink();
        if (!oldTimer.isOk() || oldTimer.bytes != units.timer || !oldService.isOk() || oldService.bytes != units.service
            || !linked)
            writes.append(std::move(units));
    }
    QStringList gone;
    for (const QString& id : present) {
        if (!wanted.contains(id))
            gone.append(id);
    }
    if (writes.isEmpty() && gone.isEmpty())
        return;

    // A timer that is replaced or removed loses its last-rung stamp first: with it, a persistent
    // timer whose new time has already passed today would ring the moment it starts.
    QStringList stopping;
    for (const Units& units : writes) {
        if (present.contains(units.id))
            stopping.append(timerName(units.id));
    }
    for (const QString& id : gone)
        stopping.append(timerName(id));
    if (!stopping.isEmpty()) {
        m_setup.systemctl(QStringList { QStringLiteral("stop") } + stopping);
        m_setup.systemctl(QStringList { QStringLiteral("clean"), QStringLiteral("--what=state") } + stopping);
    }

    for (const QString& id : gone) {
        for (const QString& name : QStringList { wantsFolder + QLatin1Char('/') + timerName(id), timerName(id), serviceName(id) }) {
            const QString path = folder.filePath(name);
            if (QFileInfo(path).isSymLink() || QFileInfo::exists(path)) {
                if (!QFile::remove(path))
                    Log::write(QStringLiteral("could not remove the alarm unit %1").arg(path));
            }
        }
    }
    QStringList starting;
    for (const Units& units : writes) {
        const QString timerPath = folder.filePath(timerName(units.id));
        std::optional<QString> failure = UserFile::write(folder.filePath(serviceName(units.id)), units.service);
        if (!failure)
            failure = UserFile::write(timerPath, units.timer);
        // What `systemctl enable` does, without a second process per alarm.
        const QString link = folder.filePath(wantsFolder + QLatin1Char('/') + timerName(units.id));
        if (!failure && !QFileInfo(link).isSymLink()) {
            if (!folder.mkpath(wantsFolder) || !QFile::link(timerPath, link))
                failure = QStringLiteral("could not link it into %1").arg(wantsFolder);
        }
        if (failure)
            Log::write(QStringLiteral("could not register the alarm %1 with systemd: %2").arg(units.id, *failure));
        else
            starting.append(timerName(units.id));
    }
    if (m_setup.systemctl({ QStringLiteral("daemon-reload") }) != 0)
        Log::write(QStringLiteral("systemctl --user daemon-reload failed; alarm changes take effect at the next login"));
    if (!starting.isEmpty() && m_setup.systemctl(QStringList { QStringLiteral("start") } + starting) != 0)
        Log::write(QStringLiteral("systemctl --user could not start the timers %1").arg(starting.join(QStringLiteral(", "))));
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
