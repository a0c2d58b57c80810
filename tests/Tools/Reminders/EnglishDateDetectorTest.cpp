#include "Tools/Reminders/EnglishDateDetector.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace Quickhalo;

namespace {

struct Case {
    const char* text;
    const char* matched; // nullptr: no date
    QDate date = {};
    QTime time = {};
};

void expectCases(const QDateTime& now, std::initializer_list<Case> cases)
{
    const EnglishDateDetector detector;
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const std::optional<DateMatch> match = detector.firstMatch(text, now);
        if (!c.matched) {
            EXPECT_FALSE(match) << c.text << " matched " << (match ? text.mid(match->start, match->length).toStdString() : "");
            continue;
        }
        ASSERT_TRUE(match) << c.text;
        EXPECT_EQ(text.mid(match->start, match->length), QString::fromUtf8(c.matched)) << c.text;
        EXPECT_EQ(match->moment, QDateTime(c.date, c.time, now.timeZone()))
            << c.text << " gave " << match->moment.toString(Qt::ISODate).toStdString();
    }
}

const QTimeZone berlin("Europe/Berlin");
const QTimeZone newYork("America/New_York");

}

TEST(EnglishDateDetector, ReadsDaysWeekdaysAndCalendarDates)
{
    ASSERT_TRUE(berlin.isValid()) << "needs the tzdata package";
    // Thursday 10 December 2026, 10:00.
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0), berlin);
    const QTime noon(12, 0);
    expectCases(now,
        {
            { "call mum today", "today", QDate(2026, 12, 10), noon },
            { "call mum tomorrow", "tomorrow", QDate(2026, 12, 11), noon },
            { "yesterday", "yesterday", QDate(2026, 12, 9), noon },
            { "the day after tomorrow", "the day after tomorrow", QDate(2026, 12, 12), noon },
            { "pay rent friday", "friday", QDate(2026, 12, 11), noon },
            { "on Monday please", "on Monday", QDate(2026, 12, 14), noon },
            { "this thursday", "this thursday", QDate(2026, 12, 10), noon },
            { "next thursday", "next thursday", QDate(2026, 12, 17), noon },
            { "next fri", "next fri", QDate(2026, 12, 11), noon },
            { "dec 3", "dec 3", QDate(2027, 12, 3), noon }, // passed this year: next year's
            { "dec 12", "dec 12", QDate(2026, 12, 12), noon },
            { "3 December", "3 December", QDate(2027, 12, 3), noon },
            { "the 24th of december", "the 24th of december", QDate(2026, 12, 24), noon },
            { "rent on the 5th", "on the 5th", QDate(2027, 1, 5), noon }, // passed this month: next month's
            { "the 31st", "the 31st", QDate(2026, 12, 31), noon },
            { "the 3 musketeers", nullptr },
            { "March 14th 2027", "March 14th 2027", QDate(2027, 3, 14), noon },
            { "feb 29", "feb 29", QDate(2028, 2, 29), noon },
            { "dec 3, 2025", "dec 3, 2025", QDate(2025, 12, 3), noon }, // a named year is kept
            { "renew 2027-01-05", "2027-01-05", QDate(2027, 1, 5), noon },
            { "in 3 days", "in 3 days", QDate(2026, 12, 13), noon },
            { "in 2 weeks", "in 2 weeks", QDate(2026, 12, 24), noon },
            { "next week", "next week", QDate(2026, 12, 17), noon },
            { "next month", "next month", QDate(2027, 1, 10), noon },
            { "on sun", "on sun", QDate(2026, 12, 13), noon },
        });
}

TEST(EnglishDateDetector, ReadsTimesPartsOfTheDayAndBothOrders)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0), berlin);
    const QDate today(2026, 12, 10);
    const QDate tomorrow(2026, 12, 11);
    expectCases(now,
        {
            { "call mum tomorrow 6pm", "tomorrow 6pm", tomorrow, QTime(18, 0) },
            { "6pm tomorrow", "6pm tomorrow", tomorrow, QTime(18, 0) },
            { "tomorrow at 6", "tomorrow at 6", tomorrow, QTime(6, 0) },
            { "Dentist - tomorrow at 3pm", "tomorrow at 3pm", tomorrow, QTime(15, 0) },
            { "standup 6:30 pm", "6:30 pm", today, QTime(18, 30) },
            { "standup 9:05am", "9:05am", today, QTime(9, 5) },
            { "train 18:00", "18:00", today, QTime(18, 0) },
            { "12am", "12am", today, QTime(0, 0) },
            { "12pm", "12pm", today, QTime(12, 0) },
            { "call at 9", "at 9", today, QTime(9, 0) },
            { "lunch at noon", "at noon", today, QTime(12, 0) },
            { "midnight", "midnight", today, QTime(0, 0) },
            { "friday 18:00", "friday 18:00", QDate(2026, 12, 11), QTime(18, 0) },
            { "dec 24 at 6pm", "dec 24 at 6pm", QDate(2026, 12, 24), QTime(18, 0) },
            { "in 20 minutes", "in 20 minutes", today, QTime(10, 20) },
            { "in an hour", "in an hour", today, QTime(11, 0) },
            { "in 3 days at 7am", "in 3 days at 7am", QDate(2026, 12, 13), QTime(7, 0) },
            { "this morning", "this morning", today, QTime(EnglishDateDetector::morningHour, 0) },
            { "this afternoon", "this afternoon", today, QTime(EnglishDateDetector::afternoonHour, 0) },
            { "this evening", "this evening", today, QTime(EnglishDateDetector::eveningHour, 0) },
            { "tonight", "tonight", today, QTime(EnglishDateDetector::tonightHour, 0) },
            { "tomorrow morning", "tomorrow morning", tomorrow, QTime(EnglishDateDetector::morningHour, 0) },
            { "friday in the evening", "friday in the evening", QDate(2026, 12, 11), QTime(EnglishDateDetector::eveningHour, 0) },
            { "tomorrow night", "tomorrow night", tomorrow, QTime(EnglishDateDetector::nightHour, 0) },
        });
}

TEST(EnglishDateDetector, LeavesOrdinaryWordsAndNumbersAlone)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0), berlin);
    expectCases(now,
        {
            { "buy milk", nullptr },
            { "buy sun cream", nullptr },
            { "we sat down", nullptr },
            { "good morning", nullptr },
            { "may the force", nullptr },
            { "read 3 books", nullptr },
            { "dec 32", nullptr },
            { "25pm", nullptr },
            { "in 3 apples", nullptr },
            { "2027-02-30", nullptr },
            { "", nullptr },
            { "   ", nullptr },
            // The first expression wins, whatever follows.
            { "friday or saturday", "friday", QDate(2026, 12, 11), QTime(12, 0) },
        });
}

TEST(EnglishDateDetector, KeepsTheLocalTimeInAnotherZoneAndAcrossAClockChange)
{
    ASSERT_TRUE(newYork.isValid()) << "needs the tzdata package";
    // Late in the evening in New York: tomorrow is still the local tomorrow.
    const QDateTime evening(QDate(2026, 12, 10), QTime(22, 30), newYork);
    expectCases(evening,
        {
            { "tomorrow", "tomorrow", QDate(2026, 12, 11), QTime(12, 0) },
            { "in 2 hours", "in 2 hours", QDate(2026, 12, 11), QTime(0, 30) },
        });
    // Berlin springs forward on 29 March 2026 at 02:00: 02:30 does not exist that day.
    const QDateTime beforeSpring(QDate(2026, 3, 28), QTime(10, 0), berlin);
    const EnglishDateDetector detector;
    const std::optional<DateMatch> skipped = detector.firstMatch(QStringLiteral("tomorrow 2:30am"), beforeSpring);
    ASSERT_TRUE(skipped);
    EXPECT_EQ(skipped->moment, QDateTime(QDate(2026, 3, 29), QTime(3, 30), berlin)) << "as far after midnight as it says";
    const std::optional<DateMatch> summer = detector.firstMatch(QStringLiteral("tomorrow 9am"), beforeSpring);
    ASSERT_TRUE(summer);
    EXPECT_EQ(summer->moment.offsetFromUtc(), 2 * 3600) << "summer time already";
    // New York falls back on 1 November 2026: "in 2 hours" is two real hours.
    const QDateTime beforeFall(QDate(2026, 11, 1), QTime(0, 30), newYork);
    const std::optional<DateMatch> later = detector.firstMatch(QStringLiteral("in 2 hours"), beforeFall);
    ASSERT_TRUE(later);
    EXPECT_EQ(beforeFall.secsTo(later->moment), 7200);
    EXPECT_EQ(later->moment.time(), QTime(1, 30)) << "the second 01:30 of the night";
}

TEST(EnglishDateDetector, CountsTheRangeInUtf16UnitsOfTheText)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0), berlin);
    const QString text = QStringLiteral("\U0001F382 party tomorrow 8pm");
    const std::optional<DateMatch> match = EnglishDateDetector().firstMatch(text, now);
    ASSERT_TRUE(match);
    EXPECT_EQ(match->start, 9) << "the emoji is two units";
    EXPECT_EQ(match->length, 12);
}
