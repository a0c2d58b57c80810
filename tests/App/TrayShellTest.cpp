#include "App/TrayShell.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "Base/Preferences.h"
#include "Hotkey/HotkeyManager.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeGlobalHotkeys.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/TimerTool.h"

using namespace Quickhalo;

namespace {

class TrayShellTest : public ::testing::Test {
protected:
    QStringList items() const
    {
        QStringList texts;
        for (const QAction* action : tray.menu().actions()) {
            if (action->isVisible())
                texts << (action->isSeparator() ? QStringLiteral("---") : action->text());
        }
        return texts;
    }
    QAction* item(const QString& text) const
    {
        for (QAction* action : tray.menu().actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }

    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };
    FakeGlobalHotkeys hotkeys;
    HotkeyManager hotkey { preferences, hotkeys };
    QStringList calls;
    TrayShell tray { hotkey,
        { [this] { calls << QStringLiteral("open"); }, [this] { calls << QStringLiteral("settings"); },
            [this] { calls << QStringLiteral("quit"); } } };
};

}

TEST_F(TrayShellTest, TheMenuNamesTheShortcutAndFollowsItsChanges)
{
    EXPECT_EQ(items(),
        QStringList({ QStringLiteral("Open Quickhalo (Ctrl+Alt+Space)"), QStringLiteral("---"),
            QStringLiteral("Settings…"), QStringLiteral("Quit") }));

    hotkey.setPreset(HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(items().first(), QStringLiteral("Open Quickhalo (Shift+Super+Space)"));
    hotkey.setPreset(HotkeyPreset::optionSpace);
    EXPECT_EQ(items().first(), QStringLiteral("Open Quickhalo (Alt+Space)"));
}

TEST_F(TrayShellTest, ItemsDoWhatTheySayWithTheirShortcuts)
{
    struct Case {
        QString item;
        QString call;
        QKeySequence shortcut;
    };
    const Case cases[] = {
        { QStringLiteral("Open Quickhalo (Ctrl+Alt+Space)"), QStringLiteral("open"), QKeySequence() },
        { QStringLiteral("Settings…"), QStringLiteral("settings"), QKeySequence(Qt::CTRL | Qt::Key_Comma) },
        { QStringLiteral("Quit"), QStringLiteral("quit"), QKeySequence(Qt::CTRL | Qt::Key_Q) },
    };
    for (const Case& c : cases) {
        QAction* action = item(c.item);
        ASSERT_NE(action, nullptr) << c.item.toStdString();
        EXPECT_EQ(action->shortcut(), c.shortcut) << c.item.toStdString();
        calls.clear();
        action->trigger();
        EXPECT_EQ(calls, QStringList { c.call }) << c.item.toStdString();
    }
}

TEST_F(TrayShellTest, TheRunningTimerAndPomodoroEachShowALine)
{
    FakeClock clock;
    TimerTool timer(clock, {});
    PomodoroTool pomodoro(preferences, clock, {});
    tray.followClock(timer, pomodoro);
    EXPECT_EQ(items().size(), 4) << "nothing runs: no lines";

    timer.start(5);
    pomodoro.start();
    EXPECT_EQ(items().mid(0, 3),
        QStringList({ QStringLiteral("Open Quickhalo (Ctrl+Alt+Space)"), QStringLiteral("Timer: 05:00"),
            QStringLiteral("Focus 25:00") }));
    EXPECT_FALSE(item(QStringLiteral("Timer: 05:00"))->isEnabled()) << "a line of text, not a command";

    timer.cancel();
    pomodoro.stopTimer();
    EXPECT_EQ(items().size(), 4);
}
