#include "Tools/Reminders/ReminderText.h"

#include "Tools/Reminders/EnglishDateDetector.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace Quickhalo;

namespace {

// A detector that answers what it is told, to reach the cases the real one cannot produce.
class FixedDetector final : public DateDetector {
public:
    std::optional<DateMatch> answer;
    std::optional<DateMatch> firstMatch(const QString&, const QDateTime&) const override { return answer; }
};

const QTimeZone berlin("Europe/Berlin");

QDateTime on(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute), berlin);
}

}

TEST(ReminderText, FollowsTheTimeTheTitleAndTheRollOverRules)
{
    const EnglishDateDetector detector;
    const struct {
        const char* text;
        QDateTime now;
        ReminderText::Result expected;
    } cases[] = {
        { "call mum tomorrow 6pm", on(10, 10), { QStringLiteral("call mum"), on(11, 18), true } },
        { "call mum 6pm", on(10, 10), { QStringLiteral("call mum"), on(10, 18), true } },
        { "call mum 6pm", on(10, 19), { QStringLiteral("call mum"), on(11, 18), true } }, // passed today: tomorrow
        { "pay rent friday", on(10, 10), { QStringLiteral("pay rent"), on(11, 12), false } },
        { "lunch with sam at noon", on(10, 10), { QStringLiteral("lunch with sam"), on(10, 12), true } },
        { "lunch tomorrow at 12", on(10, 10), { QStringLiteral("lunch"), on(11, 12), true } },
        { "party dec 12", on(10, 10), { QStringLiteral("party"), on(12, 12), true } }, // the day's "12" counts as a time
        { "dentist tomorrow", on(10, 10), { QStringLiteral("dentist"), on(11, 12), false } },
        { "dentist today", on(10, 13), { QStringLiteral("dentist"), on(10, 12), false } }, // no time: never moved
        { "Dentist - tomorrow at 3pm", on(10, 10), { QStringLiteral("Dentist"), on(11, 15), true } },
        { "buy milk", on(10, 10), { QStringLiteral("buy milk"), std::nullopt, false } },
        // A time read as such stays a time at 12:00 (only a day alone is reported there).
        { "call bob in 2 hours", on(10, 10), { QStringLiteral("call bob"), on(10, 12), true } },
        { "lunch at midday", on(10, 10), { QStringLiteral("lunch"), on(10, 12), true } },
        { "tomorrow 9am", on(10, 10), { QStringLiteral("tomorrow 9am"), on(11, 9), true } }, // only a date: the title is the line
        { "  water   the plants  ", on(10, 10), { QStringLiteral("water   the plants"), std::nullopt, false } },
        { "  water   the plants tomorrow ", on(10, 10), { QStringLiteral("water the plants"), on(11, 12), false } },
        { "yesterday 3pm call back", on(10, 10), { QStringLiteral("call back"), on(9, 15), true } }, // an earlier day is kept
        { "report: due friday, 5pm -", on(10, 10), { QStringLiteral("report: due"), on(11, 17), true } },
        { "tab\tseparated tomorrow", on(10, 10), { QStringLiteral("tab\tseparated"), on(11, 12), false } },
        { "", on(10, 10), { QString(), std::nullopt, false } },
        { " \n\t ", on(10, 10), { QString(), std::nullopt, false } },
    };
    for (const auto& c : cases) {
        const ReminderText::Result result = ReminderText::extract(QString::fromUtf8(c.text), c.now, detector);
        EXPECT_EQ(result.title, c.expected.title) << c.text;
        EXPECT_EQ(result.date, c.expected.date) << c.text << " gave "
                                                << (result.date ? result.date->toString(Qt::ISODate).toStdString() : "none");
        EXPECT_EQ(result.hasTime, c.expected.hasTime) << c.text;
    }
}

TEST(ReminderText, ARangeOutsideTheTextOrAnInvalidMomentIsNoDate)
{
    FixedDetector detector;
    const QDateTime now = on(10, 10);
    for (const DateMatch& answer : { DateMatch { on(11, 9), 5, 20 }, DateMatch { on(11, 9), -1, 3 }, DateMatch { on(11, 9), 0, 0 },
             DateMatch { QDateTime(), 0, 3 } }) {
        detector.answer = answer;
        EXPECT_EQ(ReminderText::extract(QStringLiteral("buy milk"), now, detector),
            (ReminderText::Result { QStringLiteral("buy milk"), std::nullopt, false }));
    }
    // A moment in another zone is read in the line's: 11:00 UTC is noon in Berlin, with no time.
    detector.answer = DateMatch { QDateTime(QDate(2026, 12, 11), QTime(11, 0), QTimeZone::utc()), 4, 8 };
    EXPECT_EQ(ReminderText::extract(QStringLiteral("buy tomorrow"), now, detector),
        (ReminderText::Result { QStringLiteral("buy"), on(11, 12), false }));
}
