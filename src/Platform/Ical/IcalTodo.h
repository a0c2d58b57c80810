#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace Quickhalo {

// One to-do as Quickhalo sees it in an iCalendar file.
struct CalendarTodo {
    QString uid;
    QString summary;
    std::optional<QDateTime> due; // a date-only due is 12:00 local of that day
    bool dueIsDate = false;
    bool completed = false;
    std::optional<QDateTime> created;
    std::optional<QDateTime> alarm; // when its first alert fires, if it has one
    bool operator==(const CalendarTodo&) const = default;
};

// iCalendar files of one VTODO each, read and written through libical. Use from one thread at a
// time: libical keeps global state.
namespace IcalTodo {

// Exactly one VTODO with a UID, and no part libical could not read; otherwise nothing, with why.
std::optional<CalendarTodo> read(const QByteArray& bytes, QString* why = nullptr);

struct NewTodo {
    QString uid;
    QString summary;
    std::optional<QDateTime> due;
    bool hasTime = false; // false: the due is its date only
};
// A calendar with the VTODO: UID, DTSTAMP, CREATED, SUMMARY, DUE (a DATE, or a UTC DATE-TIME) and,
// for a timed one, a VALARM that displays the summary at the due moment.
QByteArray create(const NewTodo& todo, const QDateTime& now);

// The same file with the VTODO marked done (STATUS:COMPLETED, COMPLETED, PERCENT-COMPLETE:100,
// LAST-MODIFIED); every other property and component is kept as it was. Nothing, with why, for
// what `read` refuses.
std::optional<QByteArray> complete(const QByteArray& bytes, const QDateTime& now, QString* why = nullptr);

}

}
