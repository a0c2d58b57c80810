#pragma once

#include "Platform/RemindersDatabase.h"

#include <QByteArray>

#include <optional>

namespace Quickhalo {

// iCalendar files of one VTODO each, read and written through libical. Use from one thread at a
// time: libical keeps global state.
namespace IcalTodo {

// Exactly one VTODO with a UID, and no part libical could not read; otherwise nothing, with why.
std::optional<ReminderItem> read(const QByteArray& bytes, QString* why = nullptr);

struct NewTodo {
    QString uid;
    NewReminder reminder;
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
