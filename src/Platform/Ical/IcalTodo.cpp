#include "Platform/Ical/IcalTodo.h"

#include <libical/ical.h>

#include <QTimeZone>

#include <memory>
#include <mutex>

namespace Quickhalo::IcalTodo {

namespace {

void prepare()
{
    // libical aborts on an error unless told otherwise; a user's file is no reason to.
    static std::once_flag once;
    std::call_once(once, [] { icalerror_set_errors_are_fatal(0); });
}

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

QString text(const char* value)
{
    return value ? QString::fromUtf8(value) : QString();
}

QByteArray serialize(icalcomponent* component)
{
    char* ical = icalcomponent_as_ical_string_r(component);
    QByteArray bytes(ical);
    icalmemory_free_buffer(ical);
    return bytes;
}

icaltimetype utc(const QDateTime& moment)
{
    return icaltime_from_timet_with_zone(static_cast<time_t>(moment.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
}

// A time as a moment: UTC, in its own zone (TZID), or floating (local); a date at 12:00 local.
std::optional<QDateTime> moment(const icaltimetype& time)
{
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time))
        return std::nullopt;
    if (time.is_date) {
        const QDate day(time.year, time.month, time.day);
        return day.isValid() ? std::optional(QDateTime(day, QTime(12, 0))) : std::nullopt;
    }
    if (icaltime_is_utc(time) || time.zone) {
        const time_t seconds = icaltime_as_timet_with_zone(time, time.zone ? time.zone : icaltimezone_get_utc_timezone());
        return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds)).toLocalTime();
    }
    const QDateTime floating(QDate(time.year, time.month, time.day), QTime(time.hour, time.minute, time.second));
    return floating.isValid() ? std::optional(floating) : std::nullopt;
}

struct Parsed {
    Component calendar;
    icalcomponent* todo = nullptr;
};

std::optional<Parsed> parse(const QByteArray& bytes, QString* why)
{
    prepare();
    const auto refuse = [why](const char* reason) {
        if (why)
            *why = QString::fromLatin1(reason);
        return std::nullopt;
    };
    if (bytes.contains('\0'))
        return refuse("it is not text");
    Component root(icalparser_parse_string(bytes.constData()));
    if (!root)
        return refuse("it is not iCalendar");
    if (icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        return refuse("it holds no VCALENDAR");
    if (icalcomponent_count_errors(root.get()) > 0)
        return refuse("part of it is malformed");
    icalcomponent* todo = icalcomponent_get_first_component(root.get(), ICAL_VTODO_COMPONENT);
    if (!todo)
        return refuse("it holds no VTODO");
    if (icalcomponent_get_next_component(root.get(), ICAL_VTODO_COMPONENT))
        return refuse("it holds more than one VTODO");
    if (text(icalcomponent_get_uid(todo)).isEmpty())
        return refuse("its VTODO has no UID");
    return Parsed { std::move(root), todo };
}

std::optional<QDateTime> firstAlarm(icalcomponent* todo, const std::optional<QDateTime>& due)
{
    icalcomponent* alarm = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
    if (!alarm)
        return std::nullopt;
    icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (!trigger)
        return std::nullopt;
    const icaltriggertype when = icalproperty_get_trigger(trigger);
    if (!icaltime_is_null_time(when.time))
        return moment(when.time);
    // Relative: to the start unless it says the end (for a to-do, its due).
    const icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
    const bool toEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
    icalproperty* start = icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY);
    const std::optional<QDateTime> base = !toEnd && start ? moment(icalcomponent_get_dtstart(todo)) : due;
    if (!base)
        return std::nullopt;
    return base->addSecs(icaldurationtype_as_int(when.duration));
}

}

std::optional<ReminderItem> read(const QByteArray& bytes, QString* why)
{
    const std::optional<Parsed> parsed = parse(bytes, why);
    if (!parsed)
        return std::nullopt;
    icalcomponent* todo = parsed->todo;
    ReminderItem item;
    item.uid = text(icalcomponent_get_uid(todo));
    item.summary = text(icalcomponent_get_summary(todo));
    if (icalproperty* due = icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY)) {
        Q_UNUSED(due)
        const icaltimetype time = icalcomponent_get_due(todo);
        item.due = moment(time);
        item.dueIsDate = time.is_date != 0;
        if (!item.due) {
            if (why)
                *why = QStringLiteral("its DUE is not a date");
            return std::nullopt;
        }
    }
    item.completed = icalcomponent_get_status(todo) == ICAL_STATUS_COMPLETED
        || icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY) != nullptr;
    if (icalproperty* created = icalcomponent_get_first_property(todo, ICAL_CREATED_PROPERTY))
        item.created = moment(icalproperty_get_created(created));
    item.alarm = firstAlarm(todo, item.due);
    return item;
}

QByteArray create(const NewTodo& todo, const QDateTime& now)
{
    prepare();
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Quickhalo//Reminders//EN"));
    icalcomponent* item = icalcomponent_new(ICAL_VTODO_COMPONENT);
    const NewReminder& reminder = todo.reminder;
    icalcomponent_add_property(item, icalproperty_new_uid(todo.uid.toUtf8().constData()));
    icalcomponent_add_property(item, icalproperty_new_dtstamp(utc(now)));
    icalcomponent_add_property(item, icalproperty_new_created(utc(now)));
    icalcomponent_add_property(item, icalproperty_new_summary(reminder.summary.toUtf8().constData()));
    icalcomponent_add_property(item, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    if (reminder.due) {
        if (reminder.hasTime) {
            icalcomponent_add_property(item, icalproperty_new_due(utc(*reminder.due)));
            icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
            icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
            icalcomponent_add_property(alarm, icalproperty_new_description(reminder.summary.toUtf8().constData()));
            icaltriggertype trigger {};
            trigger.time = utc(*reminder.due);
            trigger.duration = icaldurationtype_null_duration();
            icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
            icalcomponent_add_component(item, alarm);
        } else {
            const QDate day = reminder.due->date();
            icaltimetype date = icaltime_null_date();
            date.year = day.year();
            date.month = day.month();
            date.day = day.day();
            icalcomponent_add_property(item, icalproperty_new_due(date));
        }
    }
    icalcomponent_add_component(calendar.get(), item);
    return serialize(calendar.get());
}

std::optional<QByteArray> complete(const QByteArray& bytes, const QDateTime& now, QString* why)
{
    if (!parse(bytes, why))
        return std::nullopt;
    // An edit of the text itself, not a new rendering of it: libical would rewrite what it does
    // not need to (one CATEGORIES line becomes several), and the file is someone else's too.
    const QByteArray newline = bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    const auto stamp = [&now](const char* name) -> QByteArray {
        return QByteArray(name) + now.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
    };
    const QList<QByteArray> added { QByteArrayLiteral("STATUS:COMPLETED"), stamp("COMPLETED:"),
        QByteArrayLiteral("PERCENT-COMPLETE:100"), stamp("LAST-MODIFIED:") };
    static const QList<QByteArray> replaced { "STATUS", "COMPLETED", "PERCENT-COMPLETE", "LAST-MODIFIED" };

    QByteArray result;
    QList<QByteArray> components; // the BEGIN names around the current line
    bool dropping = false;        // inside a replaced property, through its folded lines
    qsizetype position = 0;
    while (position < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', position);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray physical = bytes.mid(position, end - position);
        position = end;
        const bool continuation = physical.startsWith(' ') || physical.startsWith('\t');
        if (continuation) {
            if (!dropping)
                result += physical;
            continue;
        }
        dropping = false;
        const QByteArray line = physical.trimmed();
        const QByteArray upper = line.toUpper();
        const bool inTodo = !components.isEmpty() && components.last() == "VTODO";
        if (upper.startsWith("BEGIN:")) {
            components.append(upper.mid(6));
        } else if (upper.startsWith("END:")) {
            if (inTodo && upper == "END:VTODO") {
                for (const QByteArray& property : added)
                    result += property + newline;
            }
            if (!components.isEmpty())
                components.removeLast();
        } else if (inTodo) {
            const qsizetype nameEnd = [&upper] {
                const qsizetype colon = upper.indexOf(':');
                const qsizetype semicolon = upper.indexOf(';');
                return semicolon >= 0 && (colon < 0 || semicolon < colon) ? semicolon : colon;
            }();
            if (nameEnd > 0 && replaced.contains(upper.left(nameEnd))) {
                dropping = true;
                continue;
            }
        }
        result += physical;
    }
    const std::optional<ReminderItem> check = read(result, why);
    if (!check || !check->completed) {
        if (why && check)
            *why = QStringLiteral("it could not be marked done");
        return std::nullopt;
    }
    return result;
}

}
