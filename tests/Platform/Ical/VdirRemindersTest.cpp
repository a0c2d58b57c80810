#include "Platform/Ical/VdirReminders.h"

#include "Base/Log.h"
#include "Platform/Ical/IcalTodo.h"
#include "support/TemporaryFolder.h"
#include "support/Todoman.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTimeZone>

using namespace Quickhalo;
using Quickhalo::Testing::TemporaryFolder;

namespace {

class VdirRemindersTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    QDateTime now { QDate(2026, 12, 10), QTime(10, 0), QTimeZone::utc() };
    QString root() const { return folder.filePath(QStringLiteral("calendars")); }
    VdirReminders database { root(), [this] { return now; } };

    QByteArray todoman(const QStringList& arguments) { return Testing::todoman(folder, root(), arguments); }
    QJsonArray todomanList(const char* status = "NEEDS-ACTION")
    {
        return QJsonDocument::fromJson(todoman({ QStringLiteral("--porcelain"), QStringLiteral("list"), QStringLiteral("--status"),
                                            QString::fromLatin1(status) }))
            .array();
    }
};

}

TEST_F(VdirRemindersTest, TheFirstUseMakesARemindersListAndListsAreFoldersWithTheirNames)
{
    EXPECT_EQ(database.accessProblem(), std::nullopt) << "the root is made";
    EXPECT_EQ(database.lists(), (QList<ReminderList> { { QStringLiteral("reminders"), QStringLiteral("Reminders") } }));
    folder.write(QStringLiteral("calendars/work/displayname"), "Work things\n");
    QDir().mkpath(root() + QStringLiteral("/personal"));
    QDir().mkpath(root() + QStringLiteral("/.hidden"));
    EXPECT_EQ(database.lists(),
        (QList<ReminderList> { { QStringLiteral("personal"), QStringLiteral("personal") },
            { QStringLiteral("reminders"), QStringLiteral("Reminders") }, { QStringLiteral("work"), QStringLiteral("Work things") } }));

    folder.write(QStringLiteral("file-root"), "x");
    EXPECT_TRUE(VdirReminders(folder.filePath(QStringLiteral("file-root"))).accessProblem()) << "a file is no root";
}

TEST_F(VdirRemindersTest, AddedRemindersAreOpenUntilTickedOff)
{
    database.lists();
    const QDateTime due(QDate(2026, 12, 11), QTime(18, 0), QTimeZone::utc());
    ASSERT_EQ(database.add(QStringLiteral("reminders"), { QStringLiteral("call mum"), due, true }), std::nullopt);
    ASSERT_EQ(database.add(QStringLiteral("reminders"), { QStringLiteral("buy milk"), {}, false }), std::nullopt);
    EXPECT_TRUE(database.add(QStringLiteral("../elsewhere"), { QStringLiteral("x"), {}, false })) << "only a list";
    QList<ReminderItem> open = database.openReminders(QStringLiteral("reminders"));
    ASSERT_EQ(open.size(), 2);
    const auto callMum = std::find_if(open.cbegin(), open.cend(), [](const ReminderItem& item) { return item.summary == QStringLiteral("call mum"); });
    ASSERT_NE(callMum, open.cend());
    EXPECT_EQ(callMum->due, due);
    EXPECT_EQ(callMum->alarm, due);
    EXPECT_TRUE(callMum->file.endsWith(callMum->uid + QStringLiteral(".ics")));

    EXPECT_EQ(database.complete(*callMum), std::nullopt);
    open = database.openReminders(QStringLiteral("reminders"));
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0].summary, QStringLiteral("buy milk"));

    ReminderItem elsewhere = open[0];
    elsewhere.file = folder.write(QStringLiteral("outside.ics"), IcalTodo::create({ open[0].uid, { QStringLiteral("x"), {}, false } }, now));
    EXPECT_TRUE(database.complete(elsewhere)) << "never a file outside the lists";
}

TEST_F(VdirRemindersTest, HostileFilesAreSkippedWithOneLineEachAndNeverRewritten)
{
    database.lists();
    const QByteArray good = IcalTodo::create({ QStringLiteral("good"), { QStringLiteral("fine"), {}, false } }, now);
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        { "truncated.ics", good.left(good.size() / 2) },
        { "binary.ics", QByteArray("\x00\x01\x02\xff\xfe", 5) },
        { "huge.ics", QByteArray(5 * 1024 * 1024, 'A') },
        { "no-uid.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:x\r\nEND:VTODO\r\nEND:VCALENDAR\r\n" },
        { "two.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:a\r\nEND:VTODO\r\nBEGIN:VTODO\r\nUID:b\r\nEND:VTODO\r\nEND:VCALENDAR\r\n" },
        { "bad-due.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:d\r\nDUE:someday\r\nEND:VTODO\r\nEND:VCALENDAR\r\n" },
    };
    for (const auto& file : files)
        folder.write(QStringLiteral("calendars/reminders/") + QString::fromLatin1(file.name), file.bytes);
    folder.write(QStringLiteral("calendars/reminders/good.ics"), good);
    QDir().mkpath(root() + QStringLiteral("/reminders/folder.ics"));

    Log::Capture log;
    const QList<ReminderItem> open = database.openReminders(QStringLiteral("reminders"));
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0].uid, QStringLiteral("good"));
    EXPECT_EQ(log.lines().size(), 6) << log.lines().join(u'\n').toStdString();
    database.openReminders(QStringLiteral("reminders"));
    EXPECT_EQ(log.lines().size(), 6) << "once per file, not per reload";
    for (const auto& file : files)
        EXPECT_EQ(folder.read(QStringLiteral("calendars/reminders/") + QString::fromLatin1(file.name)), file.bytes) << file.name;
}

TEST_F(VdirRemindersTest, TodomanAndQuickhaloSeeEachOthersRemindersAndTickOffs)
{
    if (!Testing::hasTodoman())
        GTEST_SKIP() << "todoman is not installed (scripts/install-deps installs it)";
    database.lists();
    const QDateTime due(QDate(2026, 12, 11), QTime(18, 0), QTimeZone::utc());
    ASSERT_EQ(database.add(QStringLiteral("reminders"), { QStringLiteral("call mum"), due, true }), std::nullopt);
    QJsonArray listed = todomanList();
    ASSERT_EQ(listed.size(), 1) << todoman({ QStringLiteral("list") }).constData();
    EXPECT_EQ(listed[0][QStringLiteral("summary")].toString(), QStringLiteral("call mum"));
    EXPECT_EQ(listed[0][QStringLiteral("due")].toInteger(), due.toSecsSinceEpoch());
    EXPECT_EQ(listed[0][QStringLiteral("list")].toString(), QStringLiteral("Reminders"));

    todoman({ QStringLiteral("new"), QStringLiteral("-l"), QStringLiteral("Reminders"), QStringLiteral("water the plants") });
    QList<ReminderItem> open = database.openReminders(QStringLiteral("reminders"));
    ASSERT_EQ(open.size(), 2);
    const auto plants = std::find_if(open.cbegin(), open.cend(), [](const ReminderItem& item) { return item.summary == QStringLiteral("water the plants"); });
    ASSERT_NE(plants, open.cend()) << "todoman's own to-do";

    // Ticked off here, done there; ticked off there, gone here.
    ASSERT_EQ(database.complete(*plants), std::nullopt);
    const QJsonArray done = todomanList("COMPLETED");
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0][QStringLiteral("summary")].toString(), QStringLiteral("water the plants"));
    EXPECT_TRUE(done[0][QStringLiteral("completed")].toBool());
    listed = todomanList();
    ASSERT_EQ(listed.size(), 1);
    todoman({ QStringLiteral("done"), QString::number(listed[0][QStringLiteral("id")].toInteger()) });
    EXPECT_TRUE(database.openReminders(QStringLiteral("reminders")).isEmpty());
}
