#include "Tools/Reminders/RemindersStore.h"

#include "Base/Preferences.h"
#include "Platform/Fake/FakeAlarmScheduler.h"
#include "Platform/Fake/FakeRemindersDatabase.h"
#include "Tools/Reminders/EnglishDateDetector.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace Quickhalo;
using Quickhalo::Testing::TemporaryFolder;

namespace {

const QDateTime now(QDate(2026, 12, 10), QTime(10, 0)); // a Thursday, local time

ReminderItem item(const char* uid, std::optional<QDateTime> due, std::optional<QDateTime> created = {})
{
    return { QString::fromLatin1(uid), QString::fromLatin1(uid), due, false, false, created, {}, {} };
}

class RemindersStoreTest : public ::testing::Test {
protected:
    RemindersStoreTest()
    {
        database.listed = { { QStringLiteral("work"), QStringLiteral("Work") }, { QStringLiteral("home"), QStringLiteral("Reminders") } };
    }
    std::unique_ptr<RemindersStore> open()
    {
        auto store = std::make_unique<RemindersStore>(database, preferences, detector, [] { return now; });
        store->requestAccess();
        store->waitForIdle();
        return store;
    }
    QStringList uids(const RemindersStore& store) const
    {
        QStringList result;
        for (const ReminderItem& reminder : store.reminders())
            result << reminder.uid;
        return result;
    }

    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    FakeRemindersDatabase database;
    EnglishDateDetector detector;
};

}

TEST_F(RemindersStoreTest, GrantedItLoadsTheDefaultListSortedByDueThenAge)
{
    database.items[QStringLiteral("home")] = {
        item("undated-new", {}, now.addDays(-1)),
        item("tomorrow", now.addDays(1)),
        item("undated-old", {}, now.addDays(-5)),
        item("today-9", QDateTime(now.date(), QTime(9, 0))),
        item("undated-unknown-age", {}),
    };
    auto store = open();
    EXPECT_EQ(store->access(), RemindersStore::Access::granted);
    EXPECT_EQ(store->selectedListId(), QStringLiteral("home")) << "the list called Reminders";
    EXPECT_EQ(preferences.text(RemindersStore::listKey), QStringLiteral("home"));
    EXPECT_EQ(uids(*store), (QStringList { QStringLiteral("today-9"), QStringLiteral("tomorrow"), QStringLiteral("undated-unknown-age"),
                                QStringLiteral("undated-old"), QStringLiteral("undated-new") }));

    // The choice is kept; a list that has gone gives way to the default again.
    store->selectList(QStringLiteral("work"));
    store->waitForIdle();
    EXPECT_TRUE(store->reminders().isEmpty());
    EXPECT_EQ(open()->selectedListId(), QStringLiteral("work"));
    database.listed.removeFirst();
    EXPECT_EQ(open()->selectedListId(), QStringLiteral("home"));
}

TEST_F(RemindersStoreTest, DeniedItSaysWhyAndTouchesNothing)
{
    database.problem = QStringLiteral("/home/u/.local/share/calendars cannot be read and written");
    auto store = open();
    EXPECT_EQ(store->access(), RemindersStore::Access::denied);
    EXPECT_EQ(store->accessProblem(), *database.problem);
    store->add(QStringLiteral("buy milk"));
    store->waitForIdle();
    EXPECT_EQ(database.calls, QStringList { QStringLiteral("access") });
}

TEST_F(RemindersStoreTest, AddingReadsThePhraseAndTickingOffDropsTheReminder)
{
    auto store = open();
    const struct {
        const char* text;
        const char* title;
        std::optional<QDateTime> due;
        bool hasTime;
    } cases[] = {
        { "call mum tomorrow 6pm", "call mum", QDateTime(QDate(2026, 12, 11), QTime(18, 0)), true },
        { "pay rent friday", "pay rent", QDateTime(QDate(2026, 12, 11), QTime(12, 0)), false },
        { "buy milk", "buy milk", std::nullopt, false },
    };
    for (const auto& c : cases)
        store->add(QString::fromUtf8(c.text));
    store->add(QStringLiteral("   "));
    store->waitForIdle();
    ASSERT_EQ(database.added.size(), 3) << "a blank line adds nothing";
    for (qsizetype i = 0; i < database.added.size(); ++i) {
        EXPECT_EQ(database.added[i].summary, QString::fromUtf8(cases[i].title));
        EXPECT_EQ(database.added[i].due, cases[i].due) << cases[i].text;
        EXPECT_EQ(database.added[i].hasTime, cases[i].hasTime) << cases[i].text;
    }
    EXPECT_EQ(store->reminders().size(), 3) << "reloaded after adding";

    store->complete(store->reminders().first());
    store->waitForIdle();
    EXPECT_EQ(store->reminders().size(), 2);
}

TEST_F(RemindersStoreTest, WithoutAnyListNothingIsFetchedAndNothingAdded)
{
    database.listed.clear();
    auto store = open();
    EXPECT_TRUE(store->selectedListId().isEmpty());
    store->add(QStringLiteral("buy milk"));
    store->waitForIdle();
    EXPECT_EQ(database.calls, (QStringList { QStringLiteral("access"), QStringLiteral("lists") }));
}

TEST(RemindersStoreAlerts, EveryOpenReminderWithAnAlertIsRegisteredAndADoneOneWithdrawn)
{
    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    FakeRemindersDatabase database;
    database.listed = { { QStringLiteral("home"), QStringLiteral("Reminders") }, { QStringLiteral("work"), QStringLiteral("Work") } };
    const QDateTime six(QDate(2026, 12, 11), QTime(18, 0));
    database.items[QStringLiteral("home")] = { { QStringLiteral("a"), QStringLiteral("call mum"), six, false, false, {}, six, {} },
        { QStringLiteral("b"), QStringLiteral("no alert"), six, false, false, {}, {}, {} } };
    // Another list's, with an alert 15 minutes before, as another program may write it.
    database.items[QStringLiteral("work")] = { { QStringLiteral("c"), QString(), six, false, false, {}, six.addSecs(-900), {} } };
    EnglishDateDetector detector;
    FakeAlarmScheduler alerts;
    alerts.registered.insert(QStringLiteral("LEFT-FROM-BEFORE"), {});
    RemindersStore store(database, preferences, detector, [] { return now; }, &alerts);
    store.rescheduleAlerts();
    store.waitForIdle();
    ASSERT_EQ(alerts.registered.size(), 2) << alerts.calls.join(u',').toStdString();
    const ScheduledAlarm mum = alerts.registered.value(RemindersStore::alertId(QStringLiteral("a")));
    EXPECT_EQ(mum.title, QStringLiteral("call mum"));
    EXPECT_EQ(mum.day, QDate(2026, 12, 11));
    EXPECT_EQ(QTime(mum.hour, mum.minute), QTime(18, 0));
    const ScheduledAlarm work = alerts.registered.value(RemindersStore::alertId(QStringLiteral("c")));
    EXPECT_EQ(QTime(work.hour, work.minute), QTime(17, 45));
    EXPECT_EQ(work.title, QStringLiteral("Untitled"));
    EXPECT_EQ(store.alert(RemindersStore::alertId(QStringLiteral("a"))), mum) << "known for the ring";
    EXPECT_NE(RemindersStore::alertId(QStringLiteral("a")), RemindersStore::alertId(QStringLiteral("c")));
    EXPECT_EQ(RemindersStore::alertId(QStringLiteral("a")).size(), 36) << "shaped like the scheduler's ids";

    store.requestAccess();
    store.waitForIdle();
    store.complete(database.items[QStringLiteral("home")][0]);
    store.waitForIdle();
    EXPECT_FALSE(alerts.registered.contains(RemindersStore::alertId(QStringLiteral("a")))) << "done: withdrawn";
    EXPECT_EQ(alerts.registered.size(), 1);
}
