#include "Platform/Ical/IcalTodo.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

using namespace Quickhalo;

namespace {

const QDateTime now(QDate(2026, 12, 10), QTime(9, 15, 30), QTimeZone::utc());

QByteArray calendar(const QByteArray& inside)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Someone//Else//EN\r\n" + inside + "END:VCALENDAR\r\n";
}

// The content lines of a file, unfolded, in order.
QStringList lines(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.replace(QStringLiteral("\r\n "), QString()).replace(QStringLiteral("\n "), QString());
    QStringList result;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts))
        result << line;
    return result;
}

}

TEST(IcalTodo, WhatItWritesReadsBackWithItsDueAndAlert)
{
    const QDateTime due(QDate(2026, 12, 11), QTime(18, 0), QTimeZone("Europe/Berlin"));
    const QByteArray timed = IcalTodo::create({ QStringLiteral("A-1@quickhalo"), { QStringLiteral("call mum"), due, true } }, now);
    const QStringList written = lines(timed);
    EXPECT_TRUE(written.contains(QStringLiteral("DUE:20261211T170000Z"))) << timed.constData();
    EXPECT_TRUE(written.contains(QStringLiteral("DTSTAMP:20261210T091530Z")));
    EXPECT_TRUE(written.contains(QStringLiteral("CREATED:20261210T091530Z")));
    EXPECT_TRUE(written.contains(QStringLiteral("BEGIN:VALARM")));
    EXPECT_TRUE(written.contains(QStringLiteral("ACTION:DISPLAY")));
    EXPECT_TRUE(written.contains(QStringLiteral("DESCRIPTION:call mum")));
    EXPECT_TRUE(written.contains(QStringLiteral("TRIGGER;VALUE=DATE-TIME:20261211T170000Z")));
    const std::optional<ReminderItem> back = IcalTodo::read(timed);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->uid, QStringLiteral("A-1@quickhalo"));
    EXPECT_EQ(back->summary, QStringLiteral("call mum"));
    EXPECT_EQ(back->due, due);
    EXPECT_FALSE(back->dueIsDate);
    EXPECT_EQ(back->alarm, due);
    EXPECT_EQ(back->created, now);
    EXPECT_FALSE(back->completed);

    const QByteArray dated
        = IcalTodo::create({ QStringLiteral("A-2"), { QStringLiteral("pay rent"), QDateTime(QDate(2026, 12, 11), QTime(12, 0)), false } }, now);
    EXPECT_TRUE(lines(dated).contains(QStringLiteral("DUE;VALUE=DATE:20261211"))) << dated.constData();
    EXPECT_FALSE(dated.contains("VALARM")) << "a day without a time has no alert";
    const std::optional<ReminderItem> day = IcalTodo::read(dated);
    ASSERT_TRUE(day);
    EXPECT_TRUE(day->dueIsDate);
    EXPECT_EQ(day->due, QDateTime(QDate(2026, 12, 11), QTime(12, 0)));

    const std::optional<ReminderItem> undated = IcalTodo::read(IcalTodo::create({ QStringLiteral("A-3"), { QStringLiteral("buy milk"), {}, false } }, now));
    ASSERT_TRUE(undated);
    EXPECT_FALSE(undated->due);
    EXPECT_FALSE(undated->alarm);
}

TEST(IcalTodo, ReadsOtherProgramsZonesAndRelativeAlerts)
{
    // A zone of its own, an alert 15 minutes before the due, and a property it does not know.
    const QByteArray berlin = calendar(
        "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
        "BEGIN:STANDARD\r\nDTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\n"
        "BEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\n"
        "END:VTIMEZONE\r\n"
        "BEGIN:VTODO\r\nUID:b@elsewhere\r\nSUMMARY:dentist\r\nDUE;TZID=Europe/Berlin:20270614T090000\r\nX-MINE:keep me\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:dentist\r\nTRIGGER;RELATED=END:-PT15M\r\nEND:VALARM\r\n"
        "END:VTODO\r\n");
    const std::optional<ReminderItem> todo = IcalTodo::read(berlin);
    ASSERT_TRUE(todo);
    const QDateTime due(QDate(2027, 6, 14), QTime(7, 0), QTimeZone::utc()); // summer time: UTC+2
    EXPECT_EQ(todo->due, due);
    EXPECT_EQ(todo->alarm, due.addSecs(-15 * 60));

    // What todoman writes: UTC, no alert; and a floating time, read on the local clock.
    const std::optional<ReminderItem> todoman = IcalTodo::read(calendar(
        "BEGIN:VTODO\nCREATED;VALUE=DATE-TIME:20261211T142806Z\nDUE;VALUE=DATE-TIME:20261211T180000Z\n"
        "STATUS:NEEDS-ACTION\nSUMMARY:call mum\nUID:ca18f61c@vm\nEND:VTODO\n"));
    ASSERT_TRUE(todoman);
    EXPECT_EQ(todoman->due, QDateTime(QDate(2026, 12, 11), QTime(18, 0), QTimeZone::utc()));
    EXPECT_FALSE(todoman->alarm);
    const std::optional<ReminderItem> floating
        = IcalTodo::read(calendar("BEGIN:VTODO\r\nUID:f\r\nDUE:20261211T080000\r\nSTATUS:COMPLETED\r\nEND:VTODO\r\n"));
    ASSERT_TRUE(floating);
    EXPECT_EQ(floating->due, QDateTime(QDate(2026, 12, 11), QTime(8, 0)));
    EXPECT_TRUE(floating->completed);
}

TEST(IcalTodo, TickingOffChangesOnlyTheCompletionAndKeepsEverythingElse)
{
    const QByteArray original = calendar(
        "BEGIN:VTODO\r\nUID:c@elsewhere\r\nSUMMARY:water the plants\r\nCATEGORIES:home,garden\r\n"
        "X-SOMEAPP-COLOUR:#ff8800\r\nPRIORITY:5\r\nPERCENT-COMPLETE:40\r\nDUE;VALUE=DATE:20261212\r\nEND:VTODO\r\n"
        "BEGIN:VEVENT\r\nUID:e@elsewhere\r\nDTSTART:20261212T100000Z\r\nSUMMARY:an event beside it\r\nEND:VEVENT\r\n");
    const std::optional<QByteArray> done = IcalTodo::complete(original, now);
    ASSERT_TRUE(done);
    const std::optional<ReminderItem> todo = IcalTodo::read(*done);
    ASSERT_TRUE(todo);
    EXPECT_TRUE(todo->completed);
    const QStringList changed { QStringLiteral("STATUS"), QStringLiteral("COMPLETED"), QStringLiteral("PERCENT-COMPLETE"),
        QStringLiteral("LAST-MODIFIED") };
    const auto kept = [&changed](const QByteArray& bytes) {
        QStringList result;
        for (const QString& line : lines(bytes)) {
            const QString name = line.section(QRegularExpression(QStringLiteral("[;:]")), 0, 0);
            if (!changed.contains(name))
                result << line;
        }
        return result;
    };
    EXPECT_EQ(kept(*done), kept(original)) << done->constData();
    const QStringList after = lines(*done);
    EXPECT_TRUE(after.contains(QStringLiteral("STATUS:COMPLETED")));
    EXPECT_TRUE(after.contains(QStringLiteral("COMPLETED:20261210T091530Z")));
    EXPECT_TRUE(after.contains(QStringLiteral("PERCENT-COMPLETE:100")));
    EXPECT_EQ(after.filter(QStringLiteral("PERCENT-COMPLETE")).size(), 1) << "replaced, not added";
}

TEST(IcalTodo, RefusesWhatIsNotExactlyOneReadableToDo)
{
    const QByteArray good = calendar("BEGIN:VTODO\r\nUID:g\r\nSUMMARY:fine\r\nEND:VTODO\r\n");
    QByteArray binary(256, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "empty", QByteArray() },
        { "truncated", good.left(good.size() / 2) },
        { "binary", binary },
        { "an event only", calendar("BEGIN:VEVENT\r\nUID:e\r\nDTSTART:20261212T100000Z\r\nEND:VEVENT\r\n") },
        { "missing UID", calendar("BEGIN:VTODO\r\nSUMMARY:who am i\r\nEND:VTODO\r\n") },
        { "two VTODOs", calendar("BEGIN:VTODO\r\nUID:a\r\nEND:VTODO\r\nBEGIN:VTODO\r\nUID:b\r\nEND:VTODO\r\n") },
        { "wrong DUE", calendar("BEGIN:VTODO\r\nUID:w\r\nDUE:tomorrowish\r\nEND:VTODO\r\n") },
        { "a bare VTODO", "BEGIN:VTODO\r\nUID:bare\r\nEND:VTODO\r\n" },
    };
    EXPECT_TRUE(IcalTodo::read(good));
    for (const auto& c : cases) {
        QString why;
        EXPECT_FALSE(IcalTodo::read(c.bytes, &why)) << c.name;
        EXPECT_FALSE(why.isEmpty()) << c.name;
        EXPECT_FALSE(IcalTodo::complete(c.bytes, now)) << c.name << ": never rewritten";
    }
}
