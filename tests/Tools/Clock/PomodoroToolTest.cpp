#include "Tools/Clock/PomodoroTool.h"

#include "Base/Preferences.h"
#include "ClockTestSupport.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace Quickhalo;
using Phase = PomodoroTool::Phase;

namespace {

class PomodoroToolTest : public ::testing::Test {
protected:
    std::unique_ptr<PomodoroTool> make()
    {
        return std::make_unique<PomodoroTool>(preferences, bench.clock, bench.recordingAlerts(), bench.wallClock());
    }

    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    Testing::ClockTestBench bench;
};

}

TEST_F(PomodoroToolTest, StartsWithAFullFocusFromTheStoredLengths)
{
    struct Case {
        const char* stored; // "pomoFocus", or nothing
        const char* shown;
    };
    const Case cases[] = { { nullptr, "Focus 25:00" }, { "0", "Focus 25:00" }, { "-5", "Focus 25:00" },
        { "50", "Focus 50:00" }, { "x", "Focus 25:00" } };
    for (const Case& c : cases) {
        if (c.stored)
            preferences.setText(PreferenceKey::pomoFocus, QString::fromLatin1(c.stored));
        else
            preferences.remove(PreferenceKey::pomoFocus);
        const auto pomodoro = make();
        EXPECT_EQ(pomodoro->menuLabel(), QString::fromLatin1(c.shown)) << (c.stored ? c.stored : "missing");
        EXPECT_EQ(pomodoro->completedFocuses(), 0);
        EXPECT_FALSE(pomodoro->isRunning());
    }
}

TEST_F(PomodoroToolTest, RunsTheWholeCycleAnnouncingEachPhase)
{
    preferences.setInteger(PreferenceKey::pomoFocus, 1);
    preferences.setInteger(PreferenceKey::pomoBreak, 1);
    preferences.setInteger(PreferenceKey::pomoLongBreak, 2);
    const auto pomodoro = make();
    pomodoro->start();
    bench.alerts.clear();
    bench.stateAtSound = [&] { return PomodoroTool::title(pomodoro->phase()); };

    QStringList phases;
    for (int period = 0; period < 9; ++period) {
        bench.pass(static_cast<double>(pomodoro->remaining()));
        phases << QStringLiteral("%1 %2").arg(pomodoro->menuLabel()).arg(pomodoro->completedFocuses());
        EXPECT_TRUE(pomodoro->isRunning()) << "the next phase runs without a click";
    }
    EXPECT_EQ(phases,
        QStringList({ QStringLiteral("Break 01:00 1"), QStringLiteral("Focus 01:00 1"), QStringLiteral("Break 01:00 2"),
            QStringLiteral("Focus 01:00 2"), QStringLiteral("Break 01:00 3"), QStringLiteral("Focus 01:00 3"),
            QStringLiteral("Long break 02:00 4"), QStringLiteral("Focus 01:00 4"), QStringLiteral("Break 01:00 5") }));
    ASSERT_GE(bench.alerts.size(), 3);
    EXPECT_EQ(bench.alerts.mid(0, 3),
        QStringList({ QStringLiteral("sound Break"), QStringLiteral("notify Pomodoro: Break time"),
            QStringLiteral("toast Break time [timer]") }));
    EXPECT_TRUE(bench.alerts.contains(QStringLiteral("notify Pomodoro: Long break time")));
    EXPECT_TRUE(bench.alerts.contains(QStringLiteral("notify Pomodoro: Focus time")));
}

TEST_F(PomodoroToolTest, SkipMovesOnSilentlyAndKeepsRunningOrPaused)
{
    const auto pomodoro = make();
    bench.alerts.clear();
    pomodoro->advance(false);
    EXPECT_EQ(pomodoro->menuLabel(), QStringLiteral("Break 05:00"));
    EXPECT_EQ(pomodoro->completedFocuses(), 1) << "a skipped focus counts";
    EXPECT_FALSE(pomodoro->isRunning());

    pomodoro->start();
    pomodoro->advance(false);
    EXPECT_EQ(pomodoro->phase(), Phase::focus);
    EXPECT_TRUE(pomodoro->isRunning());
    // Each start asks (the notifier asks the server once a run); nothing else is heard.
    EXPECT_EQ(bench.alerts, QStringList({ QStringLiteral("authorization"), QStringLiteral("authorization") }))
        << "no sound, notification or toast";

    for (int i = 0; i < 5; ++i)
        pomodoro->advance(false);
    EXPECT_EQ(pomodoro->phase(), Phase::longBreak) << "the fourth focus ends in a long break";
    EXPECT_EQ(pomodoro->display(), QStringLiteral("15:00"));
    pomodoro->advance(false);
    EXPECT_EQ(pomodoro->phase(), Phase::focus);
    EXPECT_EQ(pomodoro->completedFocuses(), 4) << "a break adds nothing";
}

TEST_F(PomodoroToolTest, PauseKeepsTheWholeSecondShownAndResetStartsOver)
{
    const auto pomodoro = make();
    pomodoro->start();
    bench.pass(10.5);
    pomodoro->stopTimer();
    EXPECT_EQ(pomodoro->display(), QStringLiteral("24:50"));
    bench.pass(60);
    EXPECT_EQ(pomodoro->display(), QStringLiteral("24:50")) << "paused";
    pomodoro->start();
    bench.pass(1);
    EXPECT_EQ(pomodoro->display(), QStringLiteral("24:49"));

    pomodoro->advance(false);
    pomodoro->reset();
    EXPECT_EQ(pomodoro->menuLabel(), QStringLiteral("Focus 25:00"));
    EXPECT_EQ(pomodoro->completedFocuses(), 0);
    EXPECT_FALSE(pomodoro->isRunning());
    EXPECT_EQ(bench.clock.activeTimers(), 0u);
}

TEST_F(PomodoroToolTest, ANewLengthIsStoredAndAppliesAtOnceOnlyWhilePaused)
{
    const auto pomodoro = make();
    pomodoro->start();
    bench.pass(12 * 60 + 26);
    pomodoro->stopTimer();
    EXPECT_EQ(pomodoro->display(), QStringLiteral("12:34"));
    pomodoro->setFocusMinutes(30);
    EXPECT_EQ(pomodoro->display(), QStringLiteral("30:00"));
    EXPECT_EQ(preferences.pomodoroMinutes(PreferenceKey::pomoFocus, 0), 30);

    pomodoro->start();
    bench.pass(1);
    pomodoro->setBreakMinutes(7);
    EXPECT_EQ(pomodoro->display(), QStringLiteral("29:59")) << "the running countdown goes on";
    pomodoro->advance(false);
    EXPECT_EQ(pomodoro->display(), QStringLiteral("07:00"));

    pomodoro->setLongBreakMinutes(0);
    EXPECT_EQ(pomodoro->longBreakMinutes(), 15) << "below a minute is refused";
    EXPECT_EQ(make()->breakMinutes(), 7) << "the lengths are kept";
}
