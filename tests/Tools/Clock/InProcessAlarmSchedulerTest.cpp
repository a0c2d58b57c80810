#include "Tools/Clock/InProcessAlarmScheduler.h"

#include "ClockTestSupport.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace Quickhalo;

namespace {

ScheduledAlarm at(int hour, int minute, bool daily, const char* id = "A")
{
    return { QString::fromLatin1(id), hour, minute, daily, QStringLiteral("Alarm"), QString::asprintf("%02d:%02d", hour, minute) };
}

class InProcessAlarmSchedulerTest : public ::testing::Test {
protected:
    InProcessAlarmSchedulerTest() { bench.now = QDateTime(QDate(2026, 12, 11), QTime(8, 58, 10), Qt::UTC); }

    // "HH:mm:ss id" for each ring.
    QStringList rings;
    Testing::ClockTestBench bench;
    InProcessAlarmScheduler scheduler { bench.clock,
        [this](const ScheduledAlarm& alarm) { rings << bench.now.toString(QStringLiteral("dd HH:mm:ss ")) + alarm.id; },
        bench.wallClock() };
};

}

TEST(InProcessAlarmScheduler, FindsTheNextMomentTheClockShowsTheTime)
{
    const QDate day(2026, 12, 11);
    const auto moment = [&day](int d, int h, int m, int s = 0) { return QDateTime(day.addDays(d), QTime(h, m, s), Qt::UTC); };
    struct Case {
        QDateTime after;
        int hour;
        int minute;
        QDateTime expected;
    };
    const Case cases[] = {
        { moment(0, 8, 59, 30), 9, 0, moment(0, 9, 0) },
        { moment(0, 9, 0), 9, 0, moment(1, 9, 0) }, // strictly after
        { moment(0, 9, 0, 30), 9, 0, moment(1, 9, 0) },
        { moment(0, 23, 59), 0, 0, moment(1, 0, 0) },
        { moment(0, 6, 0), 23, 59, moment(0, 23, 59) },
    };
    for (const Case& c : cases)
        EXPECT_EQ(InProcessAlarmScheduler::nextOccurrence(at(c.hour, c.minute, false), c.after), c.expected)
            << c.after.toString().toStdString();

    // Where the clocks change: the night Berlin springs forward has no 02:30, so it rings when
    // 02:30 would have been (03:30 summer time); the night it falls back rings once.
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());
    const QDateTime beforeSpring(QDate(2026, 3, 29), QTime(1, 0), berlin);
    EXPECT_EQ(InProcessAlarmScheduler::nextOccurrence(at(2, 30, true), beforeSpring).toUTC(),
        QDateTime(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC));
    const QDateTime beforeFall(QDate(2026, 10, 25), QTime(1, 0), berlin);
    const QDateTime fall = InProcessAlarmScheduler::nextOccurrence(at(2, 30, true), beforeFall);
    EXPECT_EQ(fall.date(), QDate(2026, 10, 25));
    EXPECT_EQ(InProcessAlarmScheduler::nextOccurrence(at(2, 30, true), fall.addSecs(3600)).date(), QDate(2026, 10, 26))
        << "the repeated hour does not ring it twice";
}

TEST_F(InProcessAlarmSchedulerTest, AOneTimeAlarmRingsOnceAndADailyOneEveryDay)
{
    scheduler.schedule(at(9, 0, false, "once"));
    scheduler.schedule(at(9, 1, true, "daily"));
    bench.pass(109, 1);
    EXPECT_TRUE(rings.isEmpty()) << "not before its minute";
    bench.pass(1, 1);
    EXPECT_EQ(rings, QStringList { QStringLiteral("11 09:00:00 once") }) << "at the minute";
    bench.pass(2 * 86400, 5);
    EXPECT_EQ(rings,
        QStringList({ QStringLiteral("11 09:00:00 once"), QStringLiteral("11 09:01:00 daily"),
            QStringLiteral("12 09:01:00 daily") }));
    EXPECT_EQ(scheduler.alarms().size(), 1) << "the one-time alarm is gone once it rang";
}

TEST_F(InProcessAlarmSchedulerTest, AnAlarmSetDuringItsMinuteRingsTomorrow)
{
    bench.now = QDateTime(QDate(2026, 12, 11), QTime(9, 0, 30), Qt::UTC);
    scheduler.schedule(at(9, 0, false));
    bench.pass(120, 1);
    EXPECT_TRUE(rings.isEmpty());
    bench.pass(86400, 10);
    EXPECT_EQ(rings, QStringList { QStringLiteral("12 09:00:00 A") });
}

TEST_F(InProcessAlarmSchedulerTest, AnAlarmMissedAsleepRingsOnceOnWaking)
{
    scheduler.schedule(at(9, 0, true));
    bench.sleep(3 * 3600); // the machine sleeps through 09:00; the timer hears nothing meanwhile
    bench.pass(60, 1);
    ASSERT_EQ(rings.size(), 1);
    EXPECT_TRUE(rings.first().startsWith(QStringLiteral("11 11:5"))) << rings.first().toStdString();
}

TEST_F(InProcessAlarmSchedulerTest, AWithdrawnAlarmNeverRingsAndNothingWakesForNoAlarm)
{
    scheduler.schedule(at(9, 0, false));
    EXPECT_EQ(bench.clock.activeTimers(), 1u);
    scheduler.withdraw(QStringLiteral("A"));
    EXPECT_EQ(bench.clock.activeTimers(), 0u);
    bench.pass(300, 1);
    EXPECT_TRUE(rings.isEmpty());

    scheduler.schedule(at(9, 5, false));
    scheduler.schedule(at(9, 5, false)); // again: replaced, not doubled
    bench.pass(300, 1);
    EXPECT_EQ(rings, QStringList { QStringLiteral("11 09:05:00 A") });
}

TEST_F(InProcessAlarmSchedulerTest, ReplacingAllKeepsWhatIsUnchangedAndDropsTheRest)
{
    scheduler.schedule(at(9, 0, true, "A"));
    scheduler.schedule(at(9, 1, true, "B"));
    bench.sleep(3600); // asleep through both; A is registered again before the first check
    scheduler.replaceAll({ at(9, 0, true, "A"), at(10, 30, false, "C") });
    bench.pass(60, 1);
    EXPECT_EQ(rings.size(), 1) << "A, unchanged, still rings for the time it missed; B is gone";
    EXPECT_TRUE(rings.value(0).endsWith(QStringLiteral(" A")));
    scheduler.replaceAll({});
    EXPECT_EQ(bench.clock.activeTimers(), 0u);
}

TEST_F(InProcessAlarmSchedulerTest, AnAlertWithADayRingsOnThatDayOnly)
{
    ScheduledAlarm dated = at(9, 0, false, "R");
    dated.day = QDate(2026, 12, 12);
    scheduler.schedule(dated);
    bench.pass(86400, 10); // through the 11th's 09:00
    EXPECT_TRUE(rings.isEmpty());
    bench.pass(86400, 10);
    EXPECT_EQ(rings, QStringList { QStringLiteral("12 09:00:00 R") });
    bench.pass(86400, 10);
    EXPECT_EQ(rings.size(), 1) << "once";

    ScheduledAlarm passed = at(8, 0, false, "P");
    passed.day = QDate(2026, 12, 1);
    scheduler.schedule(passed);
    bench.pass(3600, 10);
    EXPECT_EQ(rings.size(), 1) << "a day that has passed never rings";
}
