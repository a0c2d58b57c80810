#include "Ring/SliceBadgeProvider.h"

#include <string>

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "Ring/FakeBadgeSources.h"

using namespace Quickhalo;

namespace {

// Quoted text or "none", so that failures read clearly and no text can pass for a missing badge.
std::string describe(const std::optional<QString>& badge)
{
    return badge ? '"' + badge->toStdString() + '"' : std::string("none");
}

std::string describe(const char* badge)
{
    return badge ? '"' + std::string(badge) + '"' : std::string("none");
}

class SliceBadgeProviderTest : public ::testing::Test {
protected:
    // Every source active, so that a slice which stays unbadged has every chance not to.
    void activateEverything()
    {
        sources.setCountdown(95, QStringLiteral("01:35"));
        sources.setPomodoro(true, QStringLiteral("24:59"));
        sources.setOpenTodoCount(3);
        sources.setVoiceMemoState(VoiceMemoState::recording);
    }

    FakeBadgeSources sources;
    SliceBadgeProvider provider { sources };
};

}

TEST_F(SliceBadgeProviderTest, TimerShowsTheCountdownBeforeThePomodoro)
{
    struct Case {
        const char* name;
        std::optional<int> remaining;
        const char* countdownDisplay;
        bool pomodoroRunning;
        const char* expected;
    };
    const Case cases[] = {
        { "countdown only", 95, "01:35", false, "01:35" },
        { "pomodoro only, stale countdown text", std::nullopt, "00:03", true, "24:59" },
        { "both: the countdown wins", 95, "01:35", true, "01:35" },
        { "a countdown at zero is still set", 0, "00:00", true, "00:00" },
        { "neither", std::nullopt, "00:03", false, nullptr },
    };
    // The badge follows the kind, not the stored title or symbol.
    Slice timer = Slice::forTool(BuiltinTool::timer);
    timer.title = QStringLiteral("Tea");
    timer.symbol = QStringLiteral("cup.and.saucer");

    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        sources.setCountdown(testCase.remaining, QLatin1String(testCase.countdownDisplay));
        sources.setPomodoro(testCase.pomodoroRunning, QStringLiteral("24:59"));
        EXPECT_EQ(describe(provider.badge(timer)), describe(testCase.expected));
        EXPECT_FALSE(provider.symbolOverride(timer).has_value());
    }
}

TEST_F(SliceBadgeProviderTest, TodoShowsTheOpenCountFromOne)
{
    struct Case {
        int open;
        const char* expected;
    };
    const Case cases[] = { { 0, nullptr }, { 1, "1" }, { 3, "3" }, { 12, "12" } };
    const Slice todo = Slice::forTool(BuiltinTool::todo);

    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.open);
        sources.setOpenTodoCount(testCase.open);
        EXPECT_EQ(describe(provider.badge(todo)), describe(testCase.expected));
    }
}

TEST_F(SliceBadgeProviderTest, VoiceMemoTurnsIntoARedStopOnlyWhileRecording)
{
    struct Case {
        VoiceMemoState state;
        bool overridden;
    };
    const Case cases[] = {
        { VoiceMemoState::idle, false }, { VoiceMemoState::recording, true }, { VoiceMemoState::saved, false },
        { VoiceMemoState::idle, false }, // back to normal after a recording
    };
    const Slice memo = Slice::forTool(BuiltinTool::voiceMemo);

    for (const Case& testCase : cases) {
        SCOPED_TRACE(static_cast<int>(testCase.state));
        sources.setVoiceMemoState(testCase.state);
        const auto symbolOverride = provider.symbolOverride(memo);
        ASSERT_EQ(symbolOverride.has_value(), testCase.overridden);
        if (symbolOverride) {
            EXPECT_EQ(symbolOverride->symbol, QStringLiteral("stop.circle.fill"));
            EXPECT_EQ(symbolOverride->colour, 0xFFFF3B30u);
        }
        EXPECT_FALSE(provider.badge(memo).has_value());
    }
}

TEST_F(SliceBadgeProviderTest, OnlyTimerAndTodoBadgeAndOnlyVoiceMemoIsOverridden)
{
    activateEverything();
    for (const BuiltinTool tool : BuiltinTools::all()) {
        SCOPED_TRACE(BuiltinTools::rawValue(tool).toStdString());
        const Slice slice = Slice::forTool(tool);
        EXPECT_EQ(provider.badge(slice).has_value(), tool == BuiltinTool::timer || tool == BuiltinTool::todo);
        EXPECT_EQ(provider.symbolOverride(slice).has_value(), tool == BuiltinTool::voiceMemo);
    }
}

TEST_F(SliceBadgeProviderTest, SlicesOfOtherKindsAreNeverBadgedWhateverTheirTitle)
{
    activateEverything();
    const Slice slices[] = {
        { QUuid::createUuid(), QStringLiteral("Clock"), QStringLiteral("clock"),
            Actions::App { QStringLiteral("/usr/bin/gnome-clocks") } },
        { QUuid::createUuid(), QStringLiteral("To-do"), QStringLiteral("checklist"),
            Actions::Url { QStringLiteral("https://example.org/todo") } },
        { QUuid::createUuid(), QStringLiteral("Voice Memo"), QStringLiteral("mic.fill"),
            Actions::Shell { QStringLiteral("arecord memo.wav") } },
        { QUuid::createUuid(), QStringLiteral("Timer"), QStringLiteral("timer"),
            Actions::Shortcut { QStringLiteral("Timer") } },
        Slice::forPosition(WindowPosition::leftHalf),
    };
    for (const Slice& slice : slices) {
        SCOPED_TRACE(slice.title.toStdString());
        EXPECT_FALSE(provider.badge(slice).has_value());
        EXPECT_FALSE(provider.symbolOverride(slice).has_value());
    }
}

TEST_F(SliceBadgeProviderTest, EverySourceChangeIsAnnounced)
{
    QSignalSpy changed(&sources, &BadgeSources::changed);
    sources.setCountdown(10, QStringLiteral("00:10"));
    EXPECT_EQ(changed.count(), 1);
    sources.clearCountdown();
    sources.setPomodoro(true, QStringLiteral("25:00"));
    sources.setOpenTodoCount(2);
    sources.setVoiceMemoState(VoiceMemoState::recording);
    EXPECT_EQ(changed.count(), 5);
}
