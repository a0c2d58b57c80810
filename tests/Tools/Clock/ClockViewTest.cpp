#include "Tools/Clock/ClockView.h"

#include "Base/Preferences.h"
#include "ClockTestSupport.h"
#include "Platform/Fake/FakeAlarmScheduler.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Clock/ClockPages.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/StopwatchTool.h"
#include "Tools/Clock/TimerTool.h"
#include "support/TemporaryFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimeEdit>
#include <QToolButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

class ClockViewTest : public ::testing::Test {
protected:
    std::unique_ptr<ClockView> open()
    {
        auto view = std::make_unique<ClockView>(ClockView::Models { timer, stopwatch, pomodoro, bench.clock, alarms });
        view->resize(380, 440);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }
    template <typename Page> Page* page(const ClockView& view) { return qobject_cast<Page*>(view.page()); }

    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    Testing::ClockTestBench bench;
    TimerTool timer { bench.clock, bench.recordingAlerts(), bench.wallClock() };
    StopwatchTool stopwatch { bench.wallClock() };
    PomodoroTool pomodoro { preferences, bench.clock, bench.recordingAlerts(), bench.wallClock() };
    FakeAlarmScheduler scheduler;
    AlarmStore alarms { scheduler, folder.filePath(QStringLiteral("alarms.json")) };
};

}

TEST_F(ClockViewTest, TheTimerPageStartsFromAPresetOrTheCustomField)
{
    const auto view = open();
    ASSERT_EQ(view->mode(), ClockView::Mode::timer);
    EXPECT_EQ(view->switcher()->tabText(0), QStringLiteral("Timer"));
    TimerPage* timerPage = page<TimerPage>(*view);
    ASSERT_TRUE(timerPage);
    QStringList labels;
    for (QPushButton* preset : timerPage->presets())
        labels << preset->text();
    EXPECT_EQ(labels, QStringList({ QStringLiteral("1 min"), QStringLiteral("5 min"), QStringLiteral("10 min"), QStringLiteral("25 min") }));

    struct Case {
        const char* typed;
        bool startEnabled;
        std::optional<qint64> started; // seconds, when Return starts a countdown
    };
    const Case cases[] = {
        { "2", true, 120 }, { "2.5", true, 150 }, { "", false, std::nullopt }, { " 2", false, std::nullopt },
        { "2 min", false, std::nullopt }, { "2,5", false, std::nullopt }, { "0", true, std::nullopt },
        { "-1", true, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        timer.cancel();
        timerPage->customField()->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(timerPage->startButton()->isEnabled(), c.startEnabled);
        QTest::keyClick(timerPage->customField(), Qt::Key_Return);
        EXPECT_EQ(timer.remaining(), c.started);
        EXPECT_EQ(timerPage->customField()->text().isEmpty(), c.started.has_value() || !*c.typed)
            << "the field empties only when a countdown starts";
    }
    timerPage->customField()->setText(QStringLiteral("2.5"));
    QTest::mouseClick(timerPage->startButton(), Qt::LeftButton);
    EXPECT_TRUE(timerPage->countdown()->isVisible());
    EXPECT_EQ(timerPage->countdown()->text(), QStringLiteral("02:30"));
    bench.pass(1);
    EXPECT_EQ(timerPage->countdown()->text(), QStringLiteral("02:29"));

    timer.cancel();
    QTest::mouseClick(timerPage->presets()[1], Qt::LeftButton);
    EXPECT_EQ(timer.remaining(), 300);
}

TEST_F(ClockViewTest, TheStopwatchPageRedrawsOnlyWhileShownAndRunning)
{
    const auto view = open();
    view->setMode(ClockView::Mode::stopwatch);
    StopwatchPage* watch = page<StopwatchPage>(*view);
    ASSERT_TRUE(watch);
    EXPECT_FALSE(watch->lapButton()->isEnabled());
    EXPECT_FALSE(watch->isRedrawing());
    QTest::mouseClick(watch->startPauseButton(), Qt::LeftButton);
    EXPECT_EQ(watch->startPauseButton()->text(), QStringLiteral("Pause"));
    EXPECT_TRUE(watch->isRedrawing());
    bench.pass(1.25);
    EXPECT_EQ(watch->elapsed()->text(), QStringLiteral("00:01.25"));
    QTest::mouseClick(watch->lapButton(), Qt::LeftButton);
    bench.pass(1.25);
    QTest::mouseClick(watch->lapButton(), Qt::LeftButton);
    ASSERT_EQ(watch->lapList()->count(), 2);
    EXPECT_EQ(watch->lapList()->item(0)->text(), QStringLiteral("Lap 2\t00:02.50"));
    EXPECT_EQ(watch->lapList()->item(1)->text(), QStringLiteral("Lap 1\t00:01.25"));

    view->hide();
    EXPECT_FALSE(watch->isRedrawing()) << "a closed window wakes nothing up";
    EXPECT_TRUE(stopwatch.isRunning()) << "but the stopwatch runs on";
    view->show();
    EXPECT_TRUE(watch->isRedrawing());
    QTest::mouseClick(watch->resetButton(), Qt::LeftButton);
    EXPECT_FALSE(watch->isRedrawing());
    EXPECT_EQ(watch->elapsed()->text(), QStringLiteral("00:00.00"));
    EXPECT_EQ(watch->lapList()->count(), 0);
}

TEST_F(ClockViewTest, ThePomodoroPageFollowsItsModel)
{
    const auto view = open();
    view->setMode(ClockView::Mode::pomodoro);
    PomodoroPage* tomato = page<PomodoroPage>(*view);
    ASSERT_TRUE(tomato);
    EXPECT_EQ(tomato->phaseTitle()->text() + u' ' + tomato->countdown()->text(), QStringLiteral("Focus 25:00"));
    EXPECT_EQ(tomato->filledDots(), 0);
    tomato->focusMinutes()->setValue(30);
    EXPECT_EQ(tomato->countdown()->text(), QStringLiteral("30:00"));
    EXPECT_EQ(preferences.pomodoroMinutes(PreferenceKey::pomoFocus, 0), 30);
    pomodoro.advance(false);
    EXPECT_EQ(tomato->phaseTitle()->text(), QStringLiteral("Break"));
    EXPECT_EQ(tomato->filledDots(), 1);
    QTest::mouseClick(tomato->startPauseButton(), Qt::LeftButton);
    EXPECT_TRUE(pomodoro.isRunning());
    EXPECT_EQ(tomato->startPauseButton()->text(), QStringLiteral("Pause"));

    // A new window starts on the timer; the pomodoro is still counting behind it.
    const auto again = open();
    EXPECT_EQ(again->mode(), ClockView::Mode::timer);
    again->switcher()->setCurrentIndex(2);
    ASSERT_TRUE(page<PomodoroPage>(*again));
    EXPECT_EQ(page<PomodoroPage>(*again)->startPauseButton()->text(), QStringLiteral("Pause"));
}

TEST_F(ClockViewTest, TheAlarmsPageAddsSwitchesAndDeletes)
{
    const auto view = open();
    view->switcher()->setCurrentIndex(3);
    AlarmsPage* alarmsPage = page<AlarmsPage>(*view);
    ASSERT_TRUE(alarmsPage);
    alarmsPage->timeField()->setTime(QTime(7, 5));
    alarmsPage->labelField()->setText(QStringLiteral("Run"));
    alarmsPage->dailyBox()->setChecked(true);
    alarmsPage->add();
    alarmsPage->timeField()->setTime(QTime(6, 30));
    alarmsPage->dailyBox()->setChecked(false);
    alarmsPage->add();
    EXPECT_TRUE(alarmsPage->labelField()->text().isEmpty()) << "the label is cleared; time and Daily stay";
    EXPECT_EQ(alarmsPage->timeField()->time(), QTime(6, 30));

    ASSERT_EQ(alarms.alarms().size(), 2);
    EXPECT_EQ(alarms.alarms()[0].time() + u' ' + alarms.alarms()[0].subtitle(), QStringLiteral("06:30 Once"));
    EXPECT_EQ(alarms.alarms()[1].time() + u' ' + alarms.alarms()[1].subtitle(), QStringLiteral("07:05 Run · Every day"));
    const QList<QWidget*> rows = alarmsPage->rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(scheduler.registered.size(), 2);

    // The first row's switch turns the 06:30 alarm off; its button deletes the 07:05 one.
    rows[0]->findChild<QCheckBox*>()->click();
    QTest::qWait(0);
    EXPECT_FALSE(alarms.alarms()[0].enabled);
    EXPECT_EQ(scheduler.registered.size(), 1);
    alarmsPage->rows()[1]->findChild<QToolButton*>()->click();
    QTest::qWait(0);
    ASSERT_EQ(alarms.alarms().size(), 1);
    EXPECT_EQ(alarms.alarms()[0].time(), QStringLiteral("06:30"));
    EXPECT_TRUE(scheduler.registered.isEmpty());
}
