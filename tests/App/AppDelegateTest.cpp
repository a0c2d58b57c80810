#include "App/AppDelegate.h"

#include "Ring/RingFixture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "Base/Log.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/Fake/FakeAccessibility.h"
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeGlobalHotkeys.h"
#include "Platform/Fake/FakeMouseButtonSource.h"
#include "Tools/Clipboard/ClipboardStore.h"

using namespace Quickhalo;
using State = RingController::State;

namespace {

// Start-up over fake triggers and a ring controller with fake windows.
class AppDelegateTest : public ::testing::Test {
protected:
    void launch(const QStringList& arguments = {})
    {
        delegate.applicationDidFinishLaunching(arguments);
        QCoreApplication::processEvents();
    }

    Testing::RingFixture ring;
    FakeGlobalHotkeys hotkeys;
    FakeMouseButtonSource buttons;
    FakeAccessibility accessibility;
    HotkeyManager hotkey { ring.preferences, hotkeys };
    MouseTriggerMonitor mouseTrigger { ring.preferences, buttons, accessibility, ring.clock };
    FakeClipboard clipboard;
    ClipboardStore clipboardHistory { clipboard, ring.clock };
    AppDelegate delegate { { clipboardHistory, ring.controller, hotkey, mouseTrigger, accessibility, ring.preferences } };
};

}

TEST_F(AppDelegateTest, TheClipboardHistoryListensFromLaunch)
{
    clipboard.copyText(QStringLiteral("copied before launch"));
    launch();
    EXPECT_TRUE(clipboardHistory.isPolling());
    clipboard.copyText(QStringLiteral("copied after launch"));
    ring.clock.advance(ClipboardStore::pollInterval);
    EXPECT_EQ(clipboardHistory.items(), QStringList { QStringLiteral("copied after launch") });
}

TEST_F(AppDelegateTest, TheHotkeyDrivesTheRing)
{
    launch();
    ASSERT_EQ(hotkeys.registered(), HotkeyPresets::combination(HotkeyPreset::controlOptionSpace));
    EXPECT_EQ(hotkeys.handlerInstallCount, 1);

    hotkeys.simulatePress();
    hotkeys.simulatePress(); // auto-repeat
    QCoreApplication::processEvents();
    EXPECT_EQ(ring.controller.state(), State::holding);
    ring.clock.advance(0.1);
    hotkeys.simulateRelease();
    QCoreApplication::processEvents();
    EXPECT_EQ(ring.controller.state(), State::sticky) << "a quick tap pins the ring";
}

TEST_F(AppDelegateTest, TheMouseTriggerDrivesTheRingAndSurvivesATakenHotkey)
{
    MouseTriggers::store(ring.preferences, MouseTrigger::middle);
    hotkeys.failingStatus = 10;
    Log::Capture log;
    launch();

    EXPECT_FALSE(hotkey.isRegistered());
    EXPECT_TRUE(log.lines().join(QLatin1Char('\n')).contains(QStringLiteral("Ctrl+Alt+Space may be taken")));
    ASSERT_EQ(buttons.mode(), FakeMouseButtonSource::Mode::intercepting);
    EXPECT_EQ(buttons.button(), 2);

    buttons.simulate(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(ring.controller.state(), State::holding);
    ring.clock.advance(1.0);
    buttons.simulate(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(ring.controller.state(), State::closed) << "released over the hub after a hold";
    EXPECT_EQ(ring.journal.count(QStringLiteral("action.run")), 0);
}

TEST_F(AppDelegateTest, AsksForThePermissionOncePerInstallationAndOnlyWithoutIt)
{
    struct Case {
        bool trusted;
        bool alreadyPrompted;
        int prompts;
    };
    for (const Case& c : { Case { true, false, 0 }, Case { false, true, 0 }, Case { false, false, 1 } }) {
        Testing::TemporaryFolder folder;
        Preferences preferences(folder.filePath(QStringLiteral("prefs.conf")));
        if (c.alreadyPrompted)
            preferences.setFlag(PreferenceKey::didPromptAccessibility, true);
        FakeAccessibility permission;
        permission.trusted = c.trusted;
        HotkeyManager manager(preferences, hotkeys);
        MouseTriggerMonitor monitor(preferences, buttons, permission, ring.clock);
        AppDelegate first({ clipboardHistory, ring.controller, manager, monitor, permission, preferences });
        first.applicationDidFinishLaunching({});
        EXPECT_EQ(permission.promptCount, c.prompts) << c.trusted << c.alreadyPrompted;

        // The next run of the same installation.
        Preferences reread(folder.filePath(QStringLiteral("prefs.conf")));
        AppDelegate second({ clipboardHistory, ring.controller, manager, monitor, permission, reread });
        second.applicationDidFinishLaunching({});
        EXPECT_EQ(permission.promptCount, c.prompts) << "never a second time";
        EXPECT_EQ(reread.didPromptAccessibility(), c.alreadyPrompted || c.prompts > 0);
    }
}

TEST_F(AppDelegateTest, OpenRingOptionPinsTheRingAboutOneSecondAfterLaunch)
{
    QElapsedTimer elapsed;
    elapsed.start();
    launch({ QStringLiteral("quickhalo"), QStringLiteral("--open-ring") });
    QTest::qWait(AppDelegate::openRingDelayMilliseconds / 2);
    EXPECT_EQ(ring.controller.state(), State::closed);
    QTRY_COMPARE_WITH_TIMEOUT(ring.controller.state(), State::sticky, 3000);
    EXPECT_GE(elapsed.elapsed(), AppDelegate::openRingDelayMilliseconds);
}

TEST_F(AppDelegateTest, WithoutTheOptionNothingOpens)
{
    launch({ QStringLiteral("quickhalo"), QStringLiteral("--open-ring-later") });
    QTest::qWait(AppDelegate::openRingDelayMilliseconds + 300);
    EXPECT_EQ(ring.controller.state(), State::closed);
}

TEST_F(AppDelegateTest, OpeningFromTheMenuWaitsForTheMenuAndReopensAnOpenRing)
{
    launch();
    hotkeys.simulatePress();
    QCoreApplication::processEvents();
    ASSERT_EQ(ring.controller.state(), State::holding);
    ring.journal.lines.clear();

    delegate.openRingPinned();
    EXPECT_EQ(ring.controller.state(), State::holding) << "queued, not run inside the menu's action";
    QCoreApplication::processEvents();
    EXPECT_EQ(ring.controller.state(), State::sticky);
    const QStringList& lines = ring.journal.lines;
    EXPECT_LT(lines.indexOf(QStringLiteral("window.orderOut")), lines.lastIndexOf(QStringLiteral("window.present")))
        << lines.join(QLatin1Char(' ')).toStdString();
    EXPECT_NE(lines.indexOf(QStringLiteral("window.orderOut")), -1);
}
