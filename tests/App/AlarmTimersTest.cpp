// Alarms registered with the test desktop's real systemd user manager, fired by it with Quickhalo
// stopped and with Quickhalo running.
#include "Tools/Clock/AlarmStore.h"

#include "support/DunstHistory.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimeZone>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

struct Outcome {
    int status = -1;
    QByteArray out;
};

Outcome systemctl(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("systemctl"), QStringList { QStringLiteral("--user") } + arguments);
    if (!process.waitForFinished(20000))
        return {};
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput() };
}

QString unitName(const QUuid& id, const char* type)
{
    return QStringLiteral("quickhalo-alarm-") + id.toString(QUuid::WithoutBraces).toLower() + QLatin1Char('.')
        + QLatin1String(type);
}

// The user manager's timers by unit, with the next time each elapses (microseconds since the epoch).
QMap<QString, qint64> timers()
{
    QMap<QString, qint64> next;
    const QJsonArray list = QJsonDocument::fromJson(
        systemctl({ QStringLiteral("list-timers"), QStringLiteral("--all"), QStringLiteral("--output=json") }).out).array();
    for (const QJsonValue& entry : list)
        next.insert(entry[QStringLiteral("unit")].toString(), entry[QStringLiteral("next")].toInteger(-1));
    return next;
}

class AlarmTimers : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (systemctl({ QStringLiteral("show"), QStringLiteral("--property=Version") }).status != 0)
            GTEST_SKIP() << "no systemd user manager answers on this desktop (scripts/test-desktop starts one where "
                            "systemd and unshare -m are available)";
        // The units go where the user manager reads them, the desktop's own folder; the alarms and
        // the log are this test's.
        m_unitFolder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/systemd/user");
        m_dataHome = m_home.filePath(QStringLiteral("data"));
        ASSERT_EQ(systemctl({ QStringLiteral("set-environment"), QStringLiteral("XDG_DATA_HOME=") + m_dataHome }).status, 0);
    }

    void TearDown() override
    {
        stopQuickhalo();
        if (m_dataHome.isEmpty())
            return;
        systemctl({ QStringLiteral("set-environment"),
            QStringLiteral("XDG_DATA_HOME=") + qEnvironmentVariable("XDG_DATA_HOME") });
        // Nothing of this test's stays registered for the next one.
        writeAlarms({});
        QDir(m_dataHome + QStringLiteral("/calendars")).removeRecursively();
        startQuickhalo();
        waitUntil([this] {
            return QDir(m_unitFolder).entryList({ QStringLiteral("quickhalo-alarm-*"), QStringLiteral("quickhalo-reminder-*") }).isEmpty();
        });
        stopQuickhalo();
    }

    QString alarmsFile() const { return m_dataHome + QStringLiteral("/Quickhalo/alarms.json"); }

    void writeAlarms(const QList<Alarm>& alarms)
    {
        QDir().mkpath(m_dataHome + QStringLiteral("/Quickhalo"));
        QFile file(alarmsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(AlarmStore::encode(alarms));
    }

    QList<Alarm> readAlarms() const
    {
        QFile file(alarmsFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return AlarmStore::decode(file.readAll()).value_or(QList<Alarm> {});
    }

    void startQuickhalo()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome);
        m_quickhalo.setProcessEnvironment(environment);
        m_quickhalo.setProcessChannelMode(QProcess::MergedChannels);
        m_log.clear();
        m_quickhalo.start(QStringLiteral(QUICKHALO_EXECUTABLE), {});
        ASSERT_TRUE(m_quickhalo.waitForStarted());
        ASSERT_TRUE(waitForLog("Quickhalo: started")) << m_log.constData();
    }

    bool waitForLog(const char* text, int milliseconds = 15000)
    {
        return waitUntil(
            [&] {
                m_log += m_quickhalo.readAll();
                return m_log.contains(text);
            },
            milliseconds);
    }

    void stopQuickhalo()
    {
        if (m_quickhalo.state() == QProcess::NotRunning)
            return;
        m_quickhalo.terminate();
        if (!m_quickhalo.waitForFinished(10000))
            m_quickhalo.kill();
        m_quickhalo.waitForFinished();
        m_log += m_quickhalo.readAll();
    }

    // Written, loaded and started: only a started timer has a next time.
    bool registered(const QUuid& id)
    {
        return QFile::exists(m_unitFolder + QLatin1Char('/') + unitName(id, "timer")) && timers().value(unitName(id, "timer"), -1) > 0;
    }

    static bool toastShown()
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QStringLiteral("^Quickhalo toast$") });
        search.waitForFinished(5000);
        return !search.readAllStandardOutput().trimmed().isEmpty();
    }

    static bool alarmSoundPlaying()
    {
        QProcess list;
        list.start(QStringLiteral("pactl"), { QStringLiteral("list"), QStringLiteral("sink-inputs") });
        list.waitForFinished(5000);
        return list.readAllStandardOutput().contains("media.name = \"Alarm sound\"");
    }

    TemporaryFolder m_home;
    QString m_unitFolder;
    QString m_dataHome;
    QProcess m_quickhalo;
    QByteArray m_log;
};

}

TEST_F(AlarmTimers, AnAlarmIsATimerOfTheUserManagerAndRingsWithQuickhaloStopped)
{
    // Two minutes ahead, to the minute, so that it cannot ring by itself during the test.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime at = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())).addSecs(120);
    const Alarm once { QUuid::createUuid(), at.time().hour(), at.time().minute(), QStringLiteral("Tea is ready"), true, false };
    const Alarm off { QUuid::createUuid(), 6, 0, QStringLiteral("Off"), false, true };
    writeAlarms({ once, off });
    ASSERT_NO_FATAL_FAILURE(startQuickhalo());
    ASSERT_TRUE(waitUntil([&] { return registered(once.id); })) << m_log.constData();
    const QMap<QString, qint64> next = timers();
    EXPECT_EQ(next.value(unitName(once.id, "timer")), at.toMSecsSinceEpoch() * 1000) << "the next time is the alarm's";
    EXPECT_FALSE(next.contains(unitName(off.id, "timer"))) << "a disabled alarm has no timer";
    EXPECT_FALSE(QFile::exists(m_unitFolder + QLatin1Char('/') + unitName(off.id, "timer")));
    stopQuickhalo();

    // What the timer does at its time (waiting for it would take two minutes).
    ASSERT_EQ(systemctl({ QStringLiteral("start"), unitName(once.id, "service") }).status, 0);
    const std::optional<ReceivedNotification> notification = receivedByDunst(QStringLiteral("Tea is ready"), 10000);
    ASSERT_TRUE(notification) << "posted by the service's quickhalo --fire-alarm";
    EXPECT_EQ(notification->body, once.time());
    // A one-time alarm is off afterwards, in the file and in systemd, so it never rings again.
    EXPECT_TRUE(waitUntil([&] { return !readAlarms().value(0).enabled; })) << "alarms.json still has it on";
    EXPECT_EQ(readAlarms().value(1), off) << "the other alarm is as it was";
    EXPECT_TRUE(waitUntil([&] { return !timers().contains(unitName(once.id, "timer")); }));
    EXPECT_FALSE(QFile::exists(m_unitFolder + QLatin1Char('/') + unitName(once.id, "service")));
}

TEST_F(AlarmTimers, AReminderAnotherProgramWroteWithAnAlertRingsWithQuickhaloStopped)
{
    // A to-do with its own alert, 15 minutes before its due, as another program writes it.
    const QDateTime due = QDateTime::currentDateTimeUtc().addSecs(3 * 3600);
    const QString stamp = due.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QDir().mkpath(m_dataHome + QStringLiteral("/calendars/work"));
    QFile ics(m_dataHome + QStringLiteral("/calendars/work/elsewhere.ics"));
    ASSERT_TRUE(ics.open(QIODevice::WriteOnly));
    ics.write(QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//EN\r\nBEGIN:VTODO\r\nUID:standup@elsewhere\r\n"
                             "SUMMARY:Standup notes\r\nDUE:%1\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n"
                             "TRIGGER;RELATED=END:-PT15M\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n")
                  .arg(stamp)
                  .toUtf8());
    ics.close();
    writeAlarms({});
    ASSERT_NO_FATAL_FAILURE(startQuickhalo());
    const QDir units(m_unitFolder);
    const auto reminderTimer = [&units] {
        const QStringList found = units.entryList({ QStringLiteral("quickhalo-reminder-*.timer") }, QDir::Files);
        return found.isEmpty() ? QString() : found.constFirst();
    };
    ASSERT_TRUE(waitUntil([&] { return !reminderTimer().isEmpty() && timers().value(reminderTimer(), -1) > 0; })) << m_log.constData();
    const QDateTime alert = due.addSecs(-15 * 60);
    EXPECT_EQ(timers().value(reminderTimer()), QDateTime(alert.date(), QTime(alert.time().hour(), alert.time().minute()), QTimeZone::utc()).toMSecsSinceEpoch() * 1000)
        << "its own alert's time, to the minute";
    const QString service = reminderTimer().replace(QStringLiteral(".timer"), QStringLiteral(".service"));
    stopQuickhalo();

    ASSERT_EQ(systemctl({ QStringLiteral("start"), service }).status, 0);
    const std::optional<ReceivedNotification> notification = receivedByDunst(QStringLiteral("Standup notes"), 10000);
    ASSERT_TRUE(notification) << "posted by the service's quickhalo --fire-alarm";
    EXPECT_TRUE(notification->body.startsWith(QStringLiteral("Reminder"))) << notification->body.toStdString();
    ASSERT_TRUE(ics.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ics.readAll().contains("STATUS:COMPLETED")) << "ringing does not tick it off";
    EXPECT_TRUE(waitUntil([&] { return reminderTimer().isEmpty(); })) << "its rung alert's units are gone";
}

TEST_F(AlarmTimers, WithQuickhaloRunningTheFiredAlarmRingsThereAndDisablingTakesItsTimer)
{
    const Alarm daily { QUuid::createUuid(), 7, 30, QStringLiteral("Stand up"), true, true };
    writeAlarms({ daily });
    ASSERT_NO_FATAL_FAILURE(startQuickhalo());
    ASSERT_TRUE(waitUntil([&] { return registered(daily.id); })) << m_log.constData();

    ASSERT_EQ(systemctl({ QStringLiteral("start"), unitName(daily.id, "service") }).status, 0);
    EXPECT_TRUE(waitUntil(&alarmSoundPlaying, 5000)) << "the alarm sound, on the desktop's null sink";
    EXPECT_TRUE(waitUntil(&toastShown, 5000)) << "the running Quickhalo's toast\n" << m_log.constData();
    const std::optional<ReceivedNotification> notification = receivedByDunst(QStringLiteral("Stand up"), 10000);
    ASSERT_TRUE(notification);
    EXPECT_EQ(notification->body, QStringLiteral("07:30"));
    EXPECT_TRUE(readAlarms().value(0).enabled) << "a daily alarm stays on";
    EXPECT_TRUE(registered(daily.id));
    stopQuickhalo();

    // Switched off while Quickhalo was not running: its next start takes the timer away.
    Alarm off = daily;
    off.enabled = false;
    writeAlarms({ off });
    ASSERT_NO_FATAL_FAILURE(startQuickhalo());
    EXPECT_TRUE(waitUntil([&] { return !timers().contains(unitName(daily.id, "timer")); })) << m_log.constData();
    EXPECT_FALSE(QFile::exists(m_unitFolder + QLatin1Char('/') + unitName(daily.id, "timer")));
    EXPECT_FALSE(QFileInfo(m_unitFolder + QStringLiteral("/timers.target.wants/") + unitName(daily.id, "timer")).isSymLink());
}
