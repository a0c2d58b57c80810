#include "Tools/Clock/TimerTool.h"

#include "ClockTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Quickhalo;

namespace {

class TimerToolTest : public ::testing::Test {
protected:
    Testing::ClockTestBench bench;
    TimerTool timer { bench.clock, bench.recordingAlerts(), bench.wallClock() };
};

}

TEST_F(TimerToolTest, ShowsMinutesAndSecondsWithoutHours)
{
    const std::pair<double, const char*> cases[] = {
        { 1.5, "01:30" }, { 120, "120:00" }, { 100, "100:00" }, { 0.01, "00:01" }, { 25, "25:00" }, { 1.0 / 60, "00:01" },
    };
    EXPECT_EQ(timer.display(), QStringLiteral("00:00"));
    for (const auto& [minutes, shown] : cases) {
        timer.start(minutes);
        EXPECT_EQ(timer.display(), QString::fromLatin1(shown)) << minutes;
    }
}

TEST_F(TimerToolTest, OnlyAPositiveFiniteCountableNumberStartsIt)
{
    timer.start(25);
    for (const double minutes : { 0.0, -3.0, std::numeric_limits<double>::infinity(),
             std::numeric_limits<double>::quiet_NaN(), 1e300, 2e17 }) {
        timer.start(minutes);
        EXPECT_EQ(timer.remaining(), 1500) << minutes << " left the running timer alone";
    }
    timer.start(5);
    EXPECT_EQ(timer.remaining(), 300) << "a new start replaces the running timer";
    EXPECT_EQ(bench.alerts, QStringList({ QStringLiteral("authorization"), QStringLiteral("authorization") }));
}

TEST_F(TimerToolTest, CountsDownOncePerSecondAndFinishesInOrder)
{
    int changes = 0;
    QObject::connect(&timer, &TimerTool::remainingChanged, [&] { ++changes; });
    timer.start(0.05); // 3 s
    EXPECT_EQ(timer.remaining(), 3);
    changes = 0;
    bench.pass(1.0);
    EXPECT_EQ(timer.remaining(), 2);
    EXPECT_EQ(changes, 1) << "four ticks, one change";
    bench.pass(1.75);
    EXPECT_EQ(timer.remaining(), 1);
    EXPECT_EQ(bench.alerts, QStringList { QStringLiteral("authorization") }) << "nothing more before the end";

    bench.alerts.clear();
    bench.stateAtSound = [this] { return timer.isRunning() ? QStringLiteral("running") : QStringLiteral("idle"); };
    bench.pass(0.25);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.display(), QStringLiteral("00:00"));
    EXPECT_EQ(bench.alerts,
        QStringList({ QStringLiteral("sound idle"), QStringLiteral("notify Quickhalo timer: Time's up."),
            QStringLiteral("toast Timer finished [timer]") }));
    EXPECT_EQ(bench.clock.activeTimers(), 0u) << "no tick runs while idle";
    bench.pass(5);
    EXPECT_EQ(bench.alerts.size(), 3) << "it finishes once";
}

TEST_F(TimerToolTest, AFractionOfASecondFinishesWithinATickOfItsEnd)
{
    timer.start(0.01); // 0.6 s
    bench.pass(0.5);
    EXPECT_TRUE(timer.isRunning());
    bench.pass(0.25);
    EXPECT_FALSE(timer.isRunning());
}

TEST_F(TimerToolTest, WakingPastTheEndFinishesAtTheFirstTick)
{
    // Ticks come as the shown second changes, so the first after waking is at most a second away.
    timer.start(10);
    bench.pass(1);
    bench.sleep(3600);
    bench.pass(1.25);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_TRUE(bench.alerts.contains(QStringLiteral("notify Quickhalo timer: Time's up.")));

    // Asleep for part of it: the first tick shows the true time left.
    timer.start(10);
    bench.sleep(7 * 60);
    bench.pass(1.25);
    EXPECT_EQ(timer.display(), QStringLiteral("02:59")) << "600 s less 421.25 s, rounded up";
}

TEST_F(TimerToolTest, WakesOnlyWhenTheShownSecondChanges)
{
    QStringList shown;
    QObject::connect(&timer, &TimerTool::remainingChanged, [&] { shown << timer.display(); });
    timer.start(0.5);
    const int before = bench.clock.ticks;
    bench.pass(10, 0.01);
    EXPECT_EQ(shown.size(), 11) << "the start, then one change a second";
    EXPECT_EQ(shown.last(), QStringLiteral("00:20"));
    EXPECT_LE(bench.clock.ticks - before, 11) << "a quarter-second tick would wake 40 times";
}

TEST_F(TimerToolTest, CancelIsSilentAndSafeWhenIdle)
{
    timer.cancel();
    EXPECT_FALSE(timer.isRunning());
    timer.start(1);
    bench.alerts.clear();
    timer.cancel();
    EXPECT_FALSE(timer.remaining());
    bench.pass(120);
    EXPECT_TRUE(bench.alerts.isEmpty());
}

TEST(TimerTool, ReadsTheCustomFieldStrictly)
{
    const std::pair<const char*, std::optional<double>> cases[] = {
        { "2", 2.0 }, { "2.5", 2.5 }, { "1e1", 10.0 }, { "0", 0.0 }, { "-1", -1.0 }, { ".5", 0.5 },
        { "", std::nullopt }, { " 2", std::nullopt }, { "2 ", std::nullopt }, { "2 min", std::nullopt },
        { "2,5", std::nullopt }, { "1,000", std::nullopt }, { "abc", std::nullopt }, { "2..5", std::nullopt },
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(TimerTool::parseMinutes(QString::fromLatin1(text)), value) << text;
}
