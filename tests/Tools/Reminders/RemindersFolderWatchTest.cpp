// The store over real files: what another program changes shows without reopening.
#include "Tools/Reminders/RemindersStore.h"

#include "Base/Preferences.h"
#include "Platform/Fake/FakeAlarmScheduler.h"
#include "Platform/Ical/IcalTodo.h"
#include "Platform/Ical/VdirReminders.h"
#include "Tools/Reminders/EnglishDateDetector.h"
#include "support/TemporaryFolder.h"
#include "support/Todoman.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

class RemindersFolderWatch : public ::testing::Test {
protected:
    QString root() const { return folder.filePath(QStringLiteral("calendars")); }
    QStringList summaries() const
    {
        QStringList result;
        for (const ReminderItem& item : store.reminders())
            result << item.summary;
        return result;
    }

    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    VdirReminders database { root() };
    EnglishDateDetector detector;
    RemindersStore store { database, preferences, detector };
};

}

TEST_F(RemindersFolderWatch, AFileAnotherProgramAddsOrTicksOffShowsAtOnce)
{
    store.requestAccess();
    ASSERT_TRUE(waitUntil([&] { return store.access() == RemindersStore::Access::granted && !store.selectedListId().isEmpty(); }));
    store.add(QStringLiteral("call mum tomorrow 6pm"));
    ASSERT_TRUE(waitUntil([&] { return summaries() == QStringList { QStringLiteral("call mum") }; }));

    // Written the way a sync program writes: a new file appears in the list's folder.
    QFile other(root() + QStringLiteral("/reminders/from-elsewhere.ics"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(IcalTodo::create({ QStringLiteral("elsewhere"), { QStringLiteral("water the plants"), {}, false } }, QDateTime::currentDateTime()));
    other.close();
    EXPECT_TRUE(waitUntil([&] { return summaries().contains(QStringLiteral("water the plants")); }, 5000)) << summaries().join(u',').toStdString();

    // Ticked off elsewhere: replaced by a completed copy.
    const std::optional<QByteArray> done = IcalTodo::complete(IcalTodo::create({ QStringLiteral("elsewhere"),
        { QStringLiteral("water the plants"), {}, false } }, QDateTime::currentDateTime()), QDateTime::currentDateTime());
    ASSERT_TRUE(done);
    QFile replaced(root() + QStringLiteral("/reminders/.from-elsewhere.tmp"));
    ASSERT_TRUE(replaced.open(QIODevice::WriteOnly));
    replaced.write(*done);
    replaced.close();
    ASSERT_TRUE(QFile::remove(other.fileName()));
    ASSERT_TRUE(QFile::rename(replaced.fileName(), other.fileName()));
    EXPECT_TRUE(waitUntil([&] { return summaries() == QStringList { QStringLiteral("call mum") }; }, 5000));
}

TEST(RemindersFolderWatchAlerts, AnAlertWrittenIntoAnyListIsRegisteredWithThePanelClosed)
{
    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    const QString root = folder.filePath(QStringLiteral("calendars"));
    QDir().mkpath(root + QStringLiteral("/work"));
    VdirReminders database { root };
    EnglishDateDetector detector;
    FakeAlarmScheduler alerts;
    RemindersStore store { database, preferences, detector, &QDateTime::currentDateTime, &alerts };
    store.rescheduleAlerts(); // as at start: nothing shown, nothing asked for access
    store.waitForIdle();
    EXPECT_EQ(alerts.calls, QStringList { QStringLiteral("replaceAll 0") });

    const QDateTime due = QDateTime::currentDateTime().addDays(2);
    QFile file(root + QStringLiteral("/work/synced.ics"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(IcalTodo::create({ QStringLiteral("synced@elsewhere"), { QStringLiteral("board meeting"), due, true } }, QDateTime::currentDateTime()));
    file.close();
    EXPECT_TRUE(waitUntil([&] { return alerts.registered.contains(RemindersStore::alertId(QStringLiteral("synced@elsewhere"))); }, 5000))
        << alerts.calls.join(u',').toStdString();
    EXPECT_FALSE(QDir(root + QStringLiteral("/reminders")).exists()) << "nothing made while the panel was never opened";
}

TEST_F(RemindersFolderWatch, ATodoAddedWithTodomanAppearsInTheOpenList)
{
    if (!hasTodoman())
        GTEST_SKIP() << "todoman is not installed (scripts/install-deps installs it)";
    store.requestAccess();
    ASSERT_TRUE(waitUntil([&] { return !store.selectedListId().isEmpty(); }));
    store.waitForIdle(); // the panel shows its list
    todoman(folder, root(), { QStringLiteral("new"), QStringLiteral("-l"), QStringLiteral("Reminders"), QStringLiteral("--due"),
        QStringLiteral("2030-01-02 09:00"), QStringLiteral("renew passport") });
    EXPECT_TRUE(waitUntil([&] { return summaries() == QStringList { QStringLiteral("renew passport") }; }, 5000));
    ASSERT_EQ(store.reminders().size(), 1);
    EXPECT_EQ(store.reminders()[0].due->date(), QDate(2030, 1, 2));
}
