#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace Quickhalo {

// A date expression found in a line of text.
struct DateMatch {
    // The moment it names, in the time zone of the `now` it was read against. An expression that
    // names a day but no time of day is reported at 12:00 of that day.
    QDateTime moment;
    qsizetype start = 0;  // in UTF-16 units of the text
    qsizetype length = 0; // likewise
    // The expression named a time of day (or a moment, "in 2 hours"), so 12:00 is a time here.
    bool namesTime = false;
};

// Finds the first date expression in a line: the one that starts earliest, the longest of those.
class DateDetector {
public:
    virtual ~DateDetector() = default;
    virtual std::optional<DateMatch> firstMatch(const QString& text, const QDateTime& now) const = 0;
};

}
