#include "Tools/ToolViews.h"

#include "Platform/Fake/FakeClipboard.h"
#include "Base/Preferences.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeWebRequests.h"
#include "Tools/Calculator/CalculatorView.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Clipboard/ClipboardView.h"
#include "Tools/ToolPanel.h"
#include "Tools/Units/UnitsView.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Clock/ClockView.h"
#include "Platform/Fake/FakeAlarmScheduler.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/StopwatchTool.h"
#include "Tools/Clock/TimerTool.h"
#include "support/TemporaryFolder.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

class ToolViewsTest : public ::testing::Test {
protected:
    ToolViewsTest()
    {
        TimerTool::setSharedFactory([this] { return std::make_unique<TimerTool>(clock, ClockAlerts {}); });
        StopwatchTool::setSharedFactory([] { return std::make_unique<StopwatchTool>(); });
        PomodoroTool::setSharedFactory([this] { return std::make_unique<PomodoroTool>(preferences, clock, ClockAlerts {}); });
        AlarmStore::setSharedFactory(
            [this] { return std::make_unique<AlarmStore>(alarmScheduler, folder.filePath(QStringLiteral("alarms.json"))); });
    }
    void TearDown() override
    {
        ToolPanel::destroyAll();
        TimerTool::releaseShared();
        StopwatchTool::releaseShared();
        PomodoroTool::releaseShared();
        AlarmStore::releaseShared();
    }

    FakeClipboard clipboard;
    FakeClock clock;
    ClipboardStore history { clipboard, clock };
    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    FakeWebRequests web;
    FakeAlarmScheduler alarmScheduler;
    CurrencyService currencies { web, clock, folder.filePath(QStringLiteral("rates.json")), {} };
    QStringList pasted;
    ToolViews::Services services { history, [this](const QString& toast) { pasted << toast; }, nullptr, nullptr,
        &preferences, &currencies, &clock };
};

}

TEST_F(ToolViewsTest, ToolsWithAViewOpenInTheirOwnPanels)
{
    struct Case {
        BuiltinTool tool;
        const char* id;
        const char* title;
        QSize size;
    };
    const Case cases[] = {
        { BuiltinTool::calculator, "calculator", "Calculator", { 340, 170 } },
        { BuiltinTool::clipboard, "clipboard", "Clipboard", { 360, 420 } },
        { BuiltinTool::units, "units", "Units", { 420, 230 } },
        { BuiltinTool::timer, "timer", "Clock", { 380, 440 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(ToolViews::open(c.tool, services));
        const ToolPanel* panel = ToolPanel::panel(QString::fromLatin1(c.id));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->windowTitle(), QString::fromLatin1(c.title));
        EXPECT_EQ(panel->size(), c.size);
        EXPECT_TRUE(panel->isVisible());
    }
    EXPECT_NE(qobject_cast<CalculatorView*>(ToolPanel::panel(QStringLiteral("calculator"))->content()), nullptr);
    EXPECT_NE(qobject_cast<ClipboardView*>(ToolPanel::panel(QStringLiteral("clipboard"))->content()), nullptr);
    EXPECT_NE(qobject_cast<UnitsView*>(ToolPanel::panel(QStringLiteral("units"))->content()), nullptr);
    EXPECT_NE(qobject_cast<ClockView*>(ToolPanel::panel(QStringLiteral("timer"))->content()), nullptr);
}

TEST_F(ToolViewsTest, ACalculatedResultClosesItsPanelAndIsHandedOn)
{
    ASSERT_TRUE(ToolViews::open(BuiltinTool::calculator, services));
    ToolPanel* panel = ToolPanel::panel(QStringLiteral("calculator"));
    ASSERT_NE(panel, nullptr);
    auto* view = qobject_cast<CalculatorView*>(panel->content());
    ASSERT_NE(view, nullptr);
    view->input()->setText(QStringLiteral("6*7"));
    QTest::keyClick(view->input(), Qt::Key_Return);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(pasted, QStringList { QStringLiteral("Copied 42") });
    EXPECT_EQ(history.items(), QStringList { QStringLiteral("42") });
}

TEST_F(ToolViewsTest, AResultGoesWhereTheLatestOpeningSaysEvenIfThePanelWasOnlyRaised)
{
    QStringList first;
    QStringList second;
    ASSERT_TRUE(
        ToolViews::open(BuiltinTool::calculator, { history, [&first](const QString& toast) { first << toast; } }));
    ToolPanel* panel = ToolPanel::panel(QStringLiteral("calculator"));
    ASSERT_NE(panel, nullptr);
    auto* view = qobject_cast<CalculatorView*>(panel->content());
    ASSERT_NE(view, nullptr);
    // The ring opened again over another application, and the calculator chosen while it shows.
    ASSERT_TRUE(
        ToolViews::open(BuiltinTool::calculator, { history, [&second](const QString& toast) { second << toast; } }));
    ASSERT_EQ(ToolPanel::panel(QStringLiteral("calculator"))->content(), view) << "the panel was raised, not remade";
    view->input()->setText(QStringLiteral("6*7"));
    QTest::keyClick(view->input(), Qt::Key_Return);
    EXPECT_EQ(first, QStringList());
    EXPECT_EQ(second, QStringList { QStringLiteral("Copied 42") });
}

TEST_F(ToolViewsTest, ToolsWithoutAViewAreLeftToTheCaller)
{
    for (const BuiltinTool tool : { BuiltinTool::screenRecord, BuiltinTool::voiceMemo })
        EXPECT_FALSE(ToolViews::open(tool, services)) << BuiltinTools::rawValue(tool).toStdString();
}
