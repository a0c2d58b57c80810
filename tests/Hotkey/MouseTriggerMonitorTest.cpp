#include "Hotkey/MouseTriggerMonitor.h"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Platform/Fake/FakeAccessibility.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeMouseButtonSource.h"
#include "support/TemporaryFolder.h"

namespace Quickhalo {
namespace {

using SourceMode = FakeMouseButtonSource::Mode;
using Mode = MouseTriggerMonitor::Mode;

class MouseTriggerMonitorTest : public ::testing::Test {
protected:
    MouseTriggerMonitorTest()
    {
        monitor.setOnPress([this] { ++presses; });
        monitor.setOnRelease([this] { ++releases; });
    }

    void choose(const QString& raw) { preferences.setText(PreferenceKey::mouseTrigger, raw); }

    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    FakeMouseButtonSource source;
    FakeAccessibility accessibility;
    FakeClock clock;
    MouseTriggerMonitor monitor { preferences, source, accessibility, clock };
    int presses = 0;
    int releases = 0;
};

struct SettingCase {
    const char* name;
    std::optional<const char*> stored; // nothing: the key is absent
    MouseTrigger trigger;
    std::optional<int> button;
};

class MouseTriggerSettingTest : public MouseTriggerMonitorTest, public ::testing::WithParamInterface<SettingCase> { };

TEST_P(MouseTriggerSettingTest, trustedInterceptsTheChosenButtonAndOffInstallsNothing)
{
    const SettingCase& setting = GetParam();
    if (setting.stored)
        choose(QString::fromUtf8(*setting.stored));
    monitor.reconfigure();

    EXPECT_EQ(monitor.trigger(), setting.trigger);
    EXPECT_EQ(source.button(), setting.button);
    EXPECT_EQ(source.mode(), setting.button ? SourceMode::intercepting : SourceMode::none);
    EXPECT_EQ(monitor.mode(), setting.button ? Mode::intercepting : Mode::off);
    EXPECT_EQ(source.interceptAttempts, setting.button ? 1 : 0);
    EXPECT_EQ(source.watchAttempts, 0);
    EXPECT_FALSE(monitor.isPollingTrust());
    EXPECT_EQ(clock.activeTimers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Settings, MouseTriggerSettingTest,
    ::testing::Values(SettingCase { "absent", std::nullopt, MouseTrigger::none, std::nullopt },
        SettingCase { "none", "none", MouseTrigger::none, std::nullopt },
        SettingCase { "unknown", "button6", MouseTrigger::none, std::nullopt },
        SettingCase { "wrongCase", "Middle", MouseTrigger::none, std::nullopt },
        SettingCase { "middle", "middle", MouseTrigger::middle, 2 },
        SettingCase { "back", "button4", MouseTrigger::button4, 8 },
        SettingCase { "forward", "button5", MouseTrigger::button5, 9 }),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(MouseTriggerMonitorTest, aButtonHeldElsewhereFallsBackToWatchingWithoutPolling)
{
    choose(QStringLiteral("button4"));
    source.canIntercept = false;
    monitor.reconfigure();

    EXPECT_EQ(source.interceptAttempts, 1);
    EXPECT_EQ(source.mode(), SourceMode::watching);
    EXPECT_EQ(source.button(), 8);
    EXPECT_EQ(monitor.mode(), Mode::watching);
    // A retry would reset a press in progress; the button stays watched until the next reconfigure.
    EXPECT_FALSE(monitor.isPollingTrust());
    clock.advance(10.0);
    EXPECT_EQ(source.interceptAttempts, 1);
}

TEST_F(MouseTriggerMonitorTest, withoutPermissionItWatchesUntilAPollFindsThePermission)
{
    choose(QStringLiteral("middle"));
    accessibility.trusted = false;
    monitor.reconfigure();

    EXPECT_EQ(source.interceptAttempts, 0);
    EXPECT_EQ(source.mode(), SourceMode::watching);
    EXPECT_EQ(source.button(), 2);
    EXPECT_TRUE(monitor.isPollingTrust());

    clock.advance(5.0); // two ticks without the permission change nothing
    EXPECT_EQ(source.mode(), SourceMode::watching);
    EXPECT_EQ(source.watchAttempts, 1);

    accessibility.trusted = true;
    clock.advance(0.9); // the tick at 6 s
    EXPECT_EQ(source.mode(), SourceMode::watching) << "a tick came early";
    clock.advance(0.2);
    EXPECT_EQ(source.mode(), SourceMode::intercepting);
    EXPECT_EQ(source.button(), 2);
    EXPECT_EQ(monitor.mode(), Mode::intercepting);
    EXPECT_FALSE(monitor.isPollingTrust());
    EXPECT_EQ(clock.activeTimers(), 0u);

    clock.advance(10.0);
    EXPECT_EQ(source.interceptAttempts, 1) << "polling went on after the switch";
}

TEST_F(MouseTriggerMonitorTest, withoutPermissionAndWithoutWatchingItStillPollsAndLogs)
{
    choose(QStringLiteral("button5"));
    accessibility.trusted = false;
    source.canWatch = false;
    Log::Capture log;
    monitor.reconfigure();

    EXPECT_EQ(monitor.mode(), Mode::off);
    EXPECT_EQ(source.mode(), SourceMode::none);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral("side button (forward)")))
        << log.lines().first().toStdString();
    EXPECT_TRUE(monitor.isPollingTrust());

    accessibility.trusted = true;
    clock.advance(2.0);
    EXPECT_EQ(source.mode(), SourceMode::intercepting);
    EXPECT_EQ(source.button(), 9);
}

TEST_F(MouseTriggerMonitorTest, eachReconfigureReplacesThePreviousSetup)
{
    struct Step {
        const char* stored;
        bool trusted;
        SourceMode mode;
        std::optional<int> button;
        bool polling;
    };
    const std::vector<Step> steps {
        { "middle", false, SourceMode::watching, 2, true },
        { "button4", true, SourceMode::intercepting, 8, false },
        { "button5", false, SourceMode::watching, 9, true },
        { "none", false, SourceMode::none, std::nullopt, false },
        { "middle", true, SourceMode::intercepting, 2, false },
        { "garbage", true, SourceMode::none, std::nullopt, false },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.stored);
        choose(QString::fromUtf8(step.stored));
        accessibility.trusted = step.trusted;
        monitor.reconfigure();
        EXPECT_EQ(source.mode(), step.mode);
        EXPECT_EQ(source.button(), step.button);
        EXPECT_EQ(monitor.isPollingTrust(), step.polling);
        EXPECT_EQ(clock.activeTimers(), step.polling ? 1u : 0u) << "a poll from before survived";
    }
}

struct PressCase {
    const char* name;
    std::vector<bool> events; // true: pressed
    int presses;
    int releases;
};

class MouseTriggerPressTest : public MouseTriggerMonitorTest,
                              public ::testing::WithParamInterface<std::tuple<bool, PressCase>> { };

TEST_P(MouseTriggerPressTest, reportsEachPressAndReleaseOnceInBothModes)
{
    const auto& [trusted, pressCase] = GetParam();
    choose(QStringLiteral("middle"));
    accessibility.trusted = trusted;
    monitor.reconfigure();
    ASSERT_EQ(source.mode(), trusted ? SourceMode::intercepting : SourceMode::watching);

    for (const bool pressed : pressCase.events)
        source.simulate(pressed);

    EXPECT_EQ(presses, pressCase.presses);
    EXPECT_EQ(releases, pressCase.releases);
    EXPECT_EQ(monitor.isDown(), presses > releases);
}

INSTANTIATE_TEST_SUITE_P(Sequences, MouseTriggerPressTest,
    ::testing::Combine(::testing::Bool(),
        ::testing::Values(PressCase { "click", { true, false }, 1, 1 },
            PressCase { "twoClicks", { true, false, true, false }, 2, 2 },
            PressCase { "doublePress", { true, true, false }, 1, 1 },
            PressCase { "doubleRelease", { true, false, false }, 1, 1 }, PressCase { "releaseOnly", { false }, 0, 0 },
            PressCase { "held", { true }, 1, 0 })),
    [](const auto& testInfo) {
        return std::string(std::get<0>(testInfo.param) ? "intercepting_" : "watching_")
            + std::get<1>(testInfo.param).name;
    });

TEST_F(MouseTriggerMonitorTest, aReleaseWhosePressCameBeforeAReconfigureIsIgnored)
{
    choose(QStringLiteral("middle"));
    monitor.reconfigure();
    source.simulate(true);
    ASSERT_TRUE(monitor.isDown());

    monitor.reconfigure();
    EXPECT_FALSE(monitor.isDown());
    source.simulate(false);
    EXPECT_EQ(releases, 0);

    source.simulate(true);
    source.simulate(false);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(releases, 1);
}

TEST_F(MouseTriggerMonitorTest, aPressReportedWhileWatchingIsResetWhenThePermissionArrives)
{
    choose(QStringLiteral("middle"));
    accessibility.trusted = false;
    monitor.reconfigure();
    source.simulate(true);
    EXPECT_EQ(presses, 1);

    accessibility.trusted = true;
    clock.advance(2.0);
    ASSERT_EQ(source.mode(), SourceMode::intercepting);
    EXPECT_FALSE(monitor.isDown());
    source.simulate(false);
    EXPECT_EQ(releases, 0);
}

TEST_F(MouseTriggerMonitorTest, turningTheTriggerOffStopsTheSourceAndTheHandlersStayQuiet)
{
    choose(QStringLiteral("button4"));
    accessibility.trusted = false;
    monitor.reconfigure();
    choose(QStringLiteral("none"));
    monitor.reconfigure();

    EXPECT_EQ(source.mode(), SourceMode::none);
    EXPECT_EQ(monitor.mode(), Mode::off);
    EXPECT_EQ(clock.activeTimers(), 0u);
    accessibility.trusted = true;
    clock.advance(10.0);
    EXPECT_EQ(source.interceptAttempts, 0);
}

TEST_F(MouseTriggerMonitorTest, sharedIsMadeOnceByTheInstalledFactory)
{
    int made = 0;
    MouseTriggerMonitor::setSharedFactory([&] {
        ++made;
        return std::make_unique<MouseTriggerMonitor>(preferences, source, accessibility, clock);
    });
    MouseTriggerMonitor& first = MouseTriggerMonitor::shared();
    EXPECT_EQ(&first, &MouseTriggerMonitor::shared());
    EXPECT_EQ(made, 1);
}

}
}
