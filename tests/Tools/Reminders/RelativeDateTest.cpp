#include "Tools/Reminders/RelativeDate.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

TEST(RelativeDate, SaysHowFarInTheLargestUnitThatFits)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0));
    const struct {
        qint64 seconds;
        const char* text;
    } cases[] = {
        { 0, "now" },
        { 59, "now" },
        { 60, "in 1 minute" },
        { 5 * 60, "in 5 minutes" },
        { -2 * 60, "2 minutes ago" },
        { 3600, "in 1 hour" },
        { -3 * 3600, "3 hours ago" },
        { 14 * 3600, "in 14 hours" }, // within a day: hours, even past midnight
        { 26 * 3600, "tomorrow" },
        { -25 * 3600, "yesterday" },
        { 3 * 86400, "in 3 days" },
        { -6 * 86400, "6 days ago" },
        { 15 * 86400, "in 2 weeks" },
        { 65 * 86400, "in 2 months" },
        { -800 * 86400, "2 years ago" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(RelativeDate::describe(now.addSecs(c.seconds), now), QString::fromLatin1(c.text)) << c.seconds;
}
