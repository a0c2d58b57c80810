#include "System/Notifier.h"

#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "Base/ToastPresenter.h"
#include "Platform/Fake/FakeAlertSound.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeNotificationCenter.h"
#include "Platform/Qt/QtClock.h"

using namespace Quickhalo;

namespace {

struct ShownToast {
    QString text;
    QString symbol;
    QThread* thread;
    bool operator==(const ShownToast&) const = default;
};

class RecordingToasts final : public ToastPresenter {
public:
    void show(const QString& text, const QString& symbol) override
    {
        shown.push_back({ text, symbol, QThread::currentThread() });
    }
    std::vector<ShownToast> shown;
};

QThread* mainThread()
{
    return QCoreApplication::instance()->thread();
}

NotificationContent alarm(const QString& title, const QString& body)
{
    return { title, body, QStringLiteral("alarm-clock-elapsed"), { { Notifier::alarmKey(), QStringLiteral("A1") } } };
}

class NotifierTest : public ::testing::Test {
protected:
    FakeNotificationCenter center;
    RecordingToasts toasts;
    FakeAlertSound sound;
    FakeClock clock;
    Notifier notifier { center, toasts, sound, clock };
};

}

TEST_F(NotifierTest, AsksTheServerOncePerRunAndPostsSilentBanners)
{
    EXPECT_FALSE(notifier.hasRequestedAuthorization());
    notifier.post(QStringLiteral("Quickhalo timer"), QStringLiteral("Time's up."));
    notifier.requestAuthorizationIfNeeded();
    notifier.post(QStringLiteral("Pomodoro"), QStringLiteral("Time for a break."));
    notifier.post(QStringLiteral("Pomodoro"), QString());

    EXPECT_TRUE(notifier.hasRequestedAuthorization());
    EXPECT_EQ(center.authorizationRequests, 1);
    ASSERT_EQ(center.added.size(), 3U);
    EXPECT_EQ(center.added[0].title, QStringLiteral("Quickhalo timer"));
    EXPECT_EQ(center.added[0].body, QStringLiteral("Time's up."));
    for (const NotificationContent& content : center.added) {
        EXPECT_TRUE(content.soundName.isEmpty());
        EXPECT_TRUE(content.userInfo.isEmpty()) << "a posted notification is no alarm";
    }
    clock.runLater();
    EXPECT_TRUE(toasts.shown.empty());
    EXPECT_EQ(sound.plays, 0);
}

TEST_F(NotifierTest, AlarmNotificationsAlsoSoundAndShowAToast)
{
    struct Case {
        const char* name;
        NotificationContent content;
        std::optional<QString> toast; // none: neither toast nor sound
    } cases[] = {
        { "alarm with a body", alarm(QStringLiteral("Alarm"), QStringLiteral("Stand-up")), QStringLiteral("Stand-up") },
        { "alarm without a body", alarm(QStringLiteral("Alarm 07:30"), QString()), QStringLiteral("Alarm 07:30") },
        { "a timer's notification", { QStringLiteral("Quickhalo timer"), QStringLiteral("Time's up."), {}, {} },
            std::nullopt },
        { "the key in another case",
            { QStringLiteral("Alarm"), QStringLiteral("x"), {}, { { QStringLiteral("QuickhaloAlarm"), true } } },
            std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        toasts.shown.clear();
        sound.plays = 0;
        notifier.willPresent(c.content);
        EXPECT_TRUE(toasts.shown.empty()) << "only on the main queue's next turn";
        clock.runLater();
        if (c.toast) {
            EXPECT_EQ(sound.plays, 1);
            EXPECT_EQ(
                toasts.shown, (std::vector<ShownToast> { { *c.toast, QStringLiteral("alarm.fill"), mainThread() } }));
        } else {
            EXPECT_EQ(sound.plays, 0);
            EXPECT_TRUE(toasts.shown.empty());
        }
    }
    EXPECT_TRUE(center.added.empty()) << "presenting shows no second banner";
}

TEST_F(NotifierTest, DeliveringAnAlarmShowsItsBannerWithItsSound)
{
    const NotificationContent content = alarm(QStringLiteral("Alarm"), QStringLiteral("Wake up"));
    notifier.deliver(content);
    EXPECT_EQ(center.authorizationRequests, 1);
    ASSERT_EQ(center.added.size(), 1U);
    EXPECT_EQ(center.added[0].soundName, QStringLiteral("alarm-clock-elapsed"));
    EXPECT_EQ(center.added[0].userInfo, content.userInfo);
    clock.runLater();
    EXPECT_EQ(sound.plays, 1);
    ASSERT_EQ(toasts.shown.size(), 1U);
    EXPECT_EQ(toasts.shown[0].text, QStringLiteral("Wake up"));
}

TEST_F(NotifierTest, AnAlarmsBannerHasAStopButtonThatSilencesItsSound)
{
    notifier.deliver(alarm(QStringLiteral("Alarm"), QStringLiteral("Wake up")));
    notifier.post(QStringLiteral("Pomodoro"), QStringLiteral("Break time"));
    ASSERT_EQ(center.added.size(), 2U);
    EXPECT_EQ(center.added[0].actions, (QStringList { QStringLiteral("stop"), QStringLiteral("Stop") }));
    EXPECT_TRUE(center.added[1].actions.isEmpty()) << "other banners have no buttons";
    ASSERT_TRUE(center.onAction);
    center.onAction({ { QStringLiteral("other"), true } }, QStringLiteral("stop"));
    center.onAction(center.added[0].userInfo, QStringLiteral("default"));
    EXPECT_EQ(sound.stops, 0) << "only Stop, only on an alarm's banner";
    center.onAction(center.added[0].userInfo, QStringLiteral("stop"));
    EXPECT_EQ(sound.stops, 1);
}

TEST(NotifierLifetime, ANotifierThatIsGoneHearsNoMoreActions)
{
    FakeNotificationCenter center;
    RecordingToasts toasts;
    FakeAlertSound sound;
    FakeClock clock;
    std::optional<Notifier> notifier(std::in_place, center, toasts, sound, clock);
    EXPECT_TRUE(center.onAction);
    notifier.reset();
    EXPECT_FALSE(center.onAction);
}

TEST(NotifierThreads, AlarmPresentedOnAnotherThreadSoundsAndToastsOnTheMainThread)
{
    FakeNotificationCenter center;
    RecordingToasts toasts;
    struct ThreadRecordingSound final : AlertSound {
        void stop() override { }
        void play() override { threads.push_back(QThread::currentThread()); }
        std::vector<QThread*> threads;
    } sound;
    QtClock clock;
    Notifier notifier(center, toasts, sound, clock);

    std::thread server([&] { notifier.willPresent(alarm(QStringLiteral("Alarm"), QStringLiteral("Tea"))); });
    server.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(sound.threads, std::vector<QThread*> { mainThread() });
    EXPECT_EQ(toasts.shown,
        (std::vector<ShownToast> { { QStringLiteral("Tea"), QStringLiteral("alarm.fill"), mainThread() } }));
}
