#include "Platform/Systemd/SystemdAlarmScheduler.h"

#include "Platform/Fake/FakeAlarmScheduler.h"
#include "Platform/Systemd/SystemdUnits.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMutex>
#include <QTimeZone>

using namespace Quickhalo;
using Quickhalo::Testing::TemporaryFolder;

namespace {

const QString idA = QStringLiteral("0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9");
const QString idB = QStringLiteral("11111111-2222-4333-8444-555555555555");

QString timer(const QString& id)
{
    return SystemdUnits::baseName(id) + QStringLiteral(".timer");
}

QString service(const QString& id)
{
    return SystemdUnits::baseName(id) + QStringLiteral(".service");
}

class SystemdAlarmSchedulerTest : public ::testing::Test {
protected:
    std::unique_ptr<SystemdAlarmScheduler> make()
    {
        return std::make_unique<SystemdAlarmScheduler>(
            SystemdAlarmScheduler::Setup { folder.path(), QStringLiteral("/usr/bin/quickhalo"),
                [this](const QStringList& arguments) {
                    QMutexLocker lock(&mutex);
                    calls << arguments.join(QLatin1Char(' '));
                    if (arguments.constFirst() == QStringLiteral("show"))
                        return failingProbes-- > 0 ? 1 : probeStatus;
                    if (arguments.constFirst() == QStringLiteral("start"))
                        return failingStarts-- > 0 ? 1 : 0;
                    return 0;
                },
                [this] { return now; }, probeAttempts },
            fallback, [this] { ++fallbacks; });
    }

    QStringList takeCalls()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(calls, {});
    }

    TemporaryFolder folder;
    FakeAlarmScheduler fallback;
    int fallbacks = 0;
    int probeStatus = 0;
    int failingProbes = 0;
    int failingStarts = 0;
    int probeAttempts = 1;
    QDateTime now { QDate(2026, 12, 11), QTime(12, 0), QTimeZone::utc() };
    QMutex mutex;
    QStringList calls;
};

const QString probe = QStringLiteral("show --property=Version");
const QString reload = QStringLiteral("daemon-reload");

}

TEST_F(SystemdAlarmSchedulerTest, EachAlarmIsAnEnabledTimerAndItsServiceAndWithdrawingTakesExactlyThose)
{
    // The user's own units, and a link of theirs, stay as they are.
    folder.write(QStringLiteral("backup.timer"), "[Timer]\nOnCalendar=daily\n");
    folder.write(QStringLiteral("quickhalo-alarm-notes.service"), "mine");
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("timers.target.wants")));
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("backup.timer")), folder.filePath(QStringLiteral("timers.target.wants/backup.timer"))));

    auto scheduler = make();
    EXPECT_TRUE(scheduler->ringsWithoutQuickhalo());
    scheduler->schedule({ idA, 7, 5, true, QStringLiteral("Wake"), QStringLiteral("07:05") });
    scheduler->waitForSync();
    scheduler->schedule({ idB, 9, 30, false, QStringLiteral("Alarm"), QStringLiteral("09:30") });
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(),
        (QStringList { probe, reload, QStringLiteral("start ") + timer(idA), reload, QStringLiteral("start ") + timer(idB) }));
    EXPECT_TRUE(folder.read(timer(idA)).contains("OnCalendar=*-*-* 07:05:00\n"));
    EXPECT_TRUE(folder.read(timer(idB)).contains("OnCalendar=2026-12-12 09:30:00\n")) << "at noon, 09:30 comes next tomorrow";
    EXPECT_EQ(folder.read(service(idB)), SystemdUnits::serviceText(idB, QStringLiteral("/usr/bin/quickhalo")));
    for (const QString& id : { idA, idB }) {
        const QFileInfo link(folder.filePath(QStringLiteral("timers.target.wants/") + timer(id)));
        EXPECT_TRUE(link.isSymLink());
        EXPECT_EQ(link.symLinkTarget(), folder.filePath(timer(id)));
    }

    // The same set again, as at every start: nothing to write, nothing to reload.
    scheduler->replaceAll({ { idA, 7, 5, true, QStringLiteral("Wake"), QStringLiteral("07:05") },
        { idB, 9, 30, false, QStringLiteral("Alarm"), QStringLiteral("09:30") } });
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(), QStringList {});

    scheduler->withdraw(idA);
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(), (QStringList { QStringLiteral("stop ") + timer(idA), QStringLiteral("reset-failed ") + timer(idA),
                               QStringLiteral("clean --what=state ") + timer(idA), reload }));
    EXPECT_FALSE(folder.exists(timer(idA)));
    EXPECT_FALSE(folder.exists(service(idA)));
    EXPECT_FALSE(QFileInfo(folder.filePath(QStringLiteral("timers.target.wants/") + timer(idA))).isSymLink());
    EXPECT_TRUE(folder.exists(timer(idB)));
    EXPECT_EQ(folder.read(QStringLiteral("backup.timer")), "[Timer]\nOnCalendar=daily\n");
    EXPECT_EQ(folder.read(QStringLiteral("quickhalo-alarm-notes.service")), "mine");
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("timers.target.wants/backup.timer"))).isSymLink());
    EXPECT_EQ(fallbacks, 0);
}

TEST_F(SystemdAlarmSchedulerTest, StartingAgainRemovesWhatADeletedAlarmLeftAndRewritesAChangedOne)
{
    {
        auto earlier = make();
        earlier->replaceAll({ { idA, 7, 5, true, {}, {} }, { idB, 9, 30, true, {}, {} } });
    }
    takeCalls();
    auto scheduler = make();
    scheduler->replaceAll({ { idA, 6, 45, true, {}, {} } });
    scheduler->waitForSync();
    // The changed timer loses its last-rung stamp, or 06:45, passed today, would ring on start.
    EXPECT_EQ(takeCalls(),
        (QStringList { probe, QStringLiteral("stop %1 %2").arg(timer(idA), timer(idB)),
            QStringLiteral("reset-failed %1 %2").arg(timer(idA), timer(idB)),
            QStringLiteral("clean --what=state %1 %2").arg(timer(idA), timer(idB)), reload,
            QStringLiteral("start ") + timer(idA) }));
    EXPECT_TRUE(folder.read(timer(idA)).contains("OnCalendar=*-*-* 06:45:00\n"));
    EXPECT_FALSE(folder.exists(timer(idB)));
}

TEST_F(SystemdAlarmSchedulerTest, AOneTimeAlarmNamesTheNextDayItsTimeComes)
{
    const struct {
        QTime now;
        QTime alarm;
        QDate expected;
    } cases[] = {
        { QTime(8, 0), QTime(7, 0), QDate(2026, 12, 12) }, // passed today: tomorrow
        { QTime(8, 30), QTime(9, 0), QDate(2026, 12, 11) }, // the same alarm moved later: today after all
        { QTime(9, 0), QTime(9, 0), QDate(2026, 12, 12) }, // its own minute: tomorrow
    };
    const QDate today(2026, 12, 11);
    auto scheduler = make();
    for (const auto& c : cases) {
        now = QDateTime(today, c.now, QTimeZone::utc());
        scheduler->replaceAll({ { idA, c.alarm.hour(), c.alarm.minute(), false, {}, {} } });
        scheduler->waitForSync();
        const QString expected = QStringLiteral("OnCalendar=%1 %2:00\n").arg(c.expected.toString(Qt::ISODate), c.alarm.toString(QStringLiteral("HH:mm")));
        EXPECT_TRUE(folder.read(timer(idA)).contains(expected.toUtf8()))
            << c.now.toString().toStdString() << " " << folder.read(timer(idA)).constData();
    }
}

TEST_F(SystemdAlarmSchedulerTest, AnAlertWithADayRingsOnItOnlyAndGoesOnceItHasPassed)
{
    ScheduledAlarm dated { idA, 18, 0, false, QStringLiteral("call mum"), QStringLiteral("Reminder"), QDate(2026, 12, 24) };
    auto scheduler = make();
    scheduler->replaceAll({ dated });
    scheduler->waitForSync();
    EXPECT_TRUE(folder.read(timer(idA)).contains("OnCalendar=2026-12-24 18:00:00\n")) << folder.read(timer(idA)).constData();
    now = QDateTime(QDate(2026, 12, 24), QTime(18, 1), QTimeZone::utc());
    scheduler->replaceAll({ dated });
    scheduler->waitForSync();
    EXPECT_FALSE(folder.exists(timer(idA))) << "nothing is left to ring";
}

TEST_F(SystemdAlarmSchedulerTest, SchedulersWithTheirOwnPrefixesLeaveEachOthersUnitsAlone)
{
    auto alarms = make();
    alarms->replaceAll({ { idA, 7, 5, true, {}, {} } });
    alarms->waitForSync();
    SystemdAlarmScheduler reminders({ folder.path(), QStringLiteral("/usr/bin/quickhalo"), [](const QStringList&) { return 0; },
                                        [this] { return now; }, 1, QStringLiteral("quickhalo-reminder-") },
        fallback);
    reminders.replaceAll({ { idB, 9, 0, false, {}, {}, QDate(2026, 12, 24) } });
    reminders.waitForSync();
    EXPECT_TRUE(folder.exists(QStringLiteral("quickhalo-reminder-") + idB.toLower() + QStringLiteral(".timer")));
    EXPECT_TRUE(folder.exists(timer(idA))) << "the alarms' units stay";
    alarms->replaceAll({});
    alarms->waitForSync();
    EXPECT_FALSE(folder.exists(timer(idA)));
    EXPECT_TRUE(folder.exists(QStringLiteral("quickhalo-reminder-") + idB.toLower() + QStringLiteral(".timer"))) << "and the reminders' too";
}

TEST_F(SystemdAlarmSchedulerTest, WithoutAUserManagerEveryAlarmGoesToTheFallback)
{
    probeStatus = 1;
    auto scheduler = make();
    scheduler->schedule({ idA, 7, 5, true, {}, {} });
    scheduler->schedule({ idB, 9, 30, false, {}, {} });
    ASSERT_TRUE(Testing::waitUntil([this] { return fallbacks > 0; }));
    EXPECT_FALSE(scheduler->ringsWithoutQuickhalo());
    EXPECT_EQ(fallback.registered.keys(), (QStringList { idA, idB }));
    scheduler->withdraw(idA);
    scheduler->schedule({ idB, 10, 0, false, {}, {} });
    EXPECT_EQ(fallback.registered.keys(), QStringList { idB });
    EXPECT_EQ(fallback.registered.value(idB).hour, 10);
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(), QStringList { probe }) << "asked once, nothing written";
    EXPECT_FALSE(folder.exists(timer(idA)));
    EXPECT_EQ(fallbacks, 1);
}

TEST_F(SystemdAlarmSchedulerTest, ABusyManagerIsAskedAgainAndAFailedStartIsTriedAgain)
{
    probeAttempts = 3;
    failingProbes = 1;
    failingStarts = 1;
    auto scheduler = make();
    scheduler->schedule({ idA, 7, 5, true, {}, {} });
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(), (QStringList { probe, probe, reload, QStringLiteral("start ") + timer(idA) }));
    EXPECT_TRUE(scheduler->ringsWithoutQuickhalo());
    // The files are right, but the timer never started: the next sync starts it.
    scheduler->replaceAll({ { idA, 7, 5, true, {}, {} } });
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(), (QStringList { QStringLiteral("stop ") + timer(idA), QStringLiteral("reset-failed ") + timer(idA),
                               QStringLiteral("clean --what=state ") + timer(idA), reload, QStringLiteral("start ") + timer(idA) }));
    scheduler->replaceAll({ { idA, 7, 5, true, {}, {} } });
    scheduler->waitForSync();
    EXPECT_EQ(takeCalls(), QStringList {}) << "started now: nothing more";
    EXPECT_EQ(fallbacks, 0);
}

TEST_F(SystemdAlarmSchedulerTest, ABurstOfChangesCostsAtMostTwoReloads)
{
    auto scheduler = make();
    for (int minute = 0; minute < 30; ++minute)
        scheduler->schedule({ idA, 7, minute, true, {}, {} });
    scheduler->waitForSync();
    EXPECT_LE(takeCalls().count(reload), 2);
    EXPECT_TRUE(folder.read(timer(idA)).contains("OnCalendar=*-*-* 07:29:00\n")) << "the last change wins";
}
