#pragma once

#include "Tools/Reminders/DateDetector.h"

namespace Quickhalo {

// What people type into a reminder box, in English, read by a small grammar of our own (the
// README lists it): relative days, weekdays, month and day in either order, ISO dates, "in N
// minutes/hours/days/weeks/months", clock times, noon and midnight, and parts of the day, with a
// date and a time in either order. A day that names no year is the next such day, never a past
// one. Pure: no locale data, no network.
class EnglishDateDetector final : public DateDetector {
public:
    std::optional<DateMatch> firstMatch(const QString& text, const QDateTime& now) const override;

    // The hours the parts of the day stand for.
    static constexpr int morningHour = 9;
    static constexpr int afternoonHour = 15;
    static constexpr int eveningHour = 19;
    static constexpr int tonightHour = 20;
    static constexpr int nightHour = 21;
};

}
