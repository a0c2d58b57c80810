#include "Tools/Clock/StopwatchTool.h"

#include "ClockTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Quickhalo;

TEST(StopwatchTool, FormatsHundredthsRoundedDown)
{
    const std::pair<double, const char*> cases[] = {
        { 0, "00:00.00" }, { 61.5, "01:01.50" }, { 75 * 60 + 12.34, "75:12.34" }, { 3600, "60:00.00" },
        { 59.999, "00:59.99" }, { 1.999, "00:01.99" }, { 1.234, "00:01.23" }, { 0.29, "00:00.29" }, { 2.5, "00:02.50" },
        { -3, "00:00.00" }, { std::numeric_limits<double>::quiet_NaN(), "00:00.00" },
    };
    for (const auto& [seconds, shown] : cases)
        EXPECT_EQ(StopwatchTool::format(seconds), QString::fromLatin1(shown)) << seconds;
}

TEST(StopwatchTool, PausedTimeDoesNotCount)
{
    Testing::ClockTestBench bench;
    StopwatchTool stopwatch(bench.wallClock());
    int runningChanges = 0;
    QObject::connect(&stopwatch, &StopwatchTool::isRunningChanged, [&] { ++runningChanges; });

    stopwatch.start();
    bench.pass(1);
    stopwatch.start(); // keeps the first start
    bench.pass(1);
    stopwatch.pause();
    stopwatch.pause(); // adds nothing
    bench.pass(5);
    stopwatch.lap();
    EXPECT_TRUE(stopwatch.laps().isEmpty()) << "no lap while paused";
    stopwatch.start();
    bench.pass(3);
    EXPECT_DOUBLE_EQ(stopwatch.elapsed(), 5.0);
    EXPECT_EQ(runningChanges, 3);
}

TEST(StopwatchTool, LapsAreSplitsNewestFirstAndResetClearsThem)
{
    Testing::ClockTestBench bench;
    StopwatchTool stopwatch(bench.wallClock());
    stopwatch.start();
    bench.sleep(1.234);
    stopwatch.lap();
    bench.sleep(2.5 - 1.234);
    stopwatch.lap();
    ASSERT_EQ(stopwatch.laps().size(), 2);
    EXPECT_EQ(StopwatchTool::format(stopwatch.laps()[0]), QStringLiteral("00:02.50"));
    EXPECT_EQ(StopwatchTool::format(stopwatch.laps()[1]), QStringLiteral("00:01.23"));

    stopwatch.reset();
    EXPECT_FALSE(stopwatch.isRunning());
    EXPECT_TRUE(stopwatch.laps().isEmpty());
    EXPECT_EQ(StopwatchTool::format(stopwatch.elapsed()), QStringLiteral("00:00.00"));
}
