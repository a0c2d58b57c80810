#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace Quickhalo {

class DateDetector;

// One typed line ("call mum tomorrow 6pm") as a reminder: its title, its due moment and whether
// that has a time of day. `now` carries the time zone the line is read in.
namespace ReminderText {

struct Result {
    QString title;
    std::optional<QDateTime> date;
    bool hasTime = false;
    bool operator==(const Result&) const = default;
};

// Never fails: a line without a date is a reminder without a due date.
Result extract(const QString& text, const QDateTime& now, const DateDetector& detector);

}

}
