#include "Tools/Reminders/EnglishDateDetector.h"

#include <QList>
#include <QTimeZone>

#include <array>

namespace Quickhalo {

namespace {

struct Token {
    QString text; // lower case
    qsizetype start = 0;
    qsizetype end = 0;
};

bool isTokenCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u':' || c == u'-' || c == u'\'';
}

QList<Token> tokenize(const QString& text)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!isTokenCharacter(text[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isTokenCharacter(text[end]))
            ++end;
        qsizetype start = i;
        i = end;
        // Punctuation at a word's edges ("Dentist - tomorrow", "6pm:") is not part of it.
        while (start < end && !text[start].isLetterOrNumber())
            ++start;
        while (end > start && !text[end - 1].isLetterOrNumber())
            --end;
        if (start < end)
            tokens.append({ text.mid(start, end - start).toLower(), start, end });
    }
    return tokens;
}

std::optional<int> number(const QString& text, int lowest, int highest)
{
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int value = text.toInt();
    return value >= lowest && value <= highest ? std::optional(value) : std::nullopt;
}

// "3", "3rd", "21st", "22nd", "14th".
std::optional<int> dayOfMonth(const QString& text)
{
    for (const char* suffix : { "st", "nd", "rd", "th" }) {
        if (text.endsWith(QLatin1String(suffix)))
            return number(text.chopped(2), 1, 31);
    }
    return number(text, 1, 31);
}

std::optional<int> month(const QString& text)
{
    static const std::array<std::pair<const char*, const char*>, 12> names { {
        { "jan", "january" }, { "feb", "february" }, { "mar", "march" }, { "apr", "april" }, { "may", "may" },
        { "jun", "june" }, { "jul", "july" }, { "aug", "august" }, { "sep", "september" }, { "oct", "october" },
        { "nov", "november" }, { "dec", "december" },
    } };
    for (int i = 0; i < 12; ++i) {
        if (text == QLatin1String(names[static_cast<std::size_t>(i)].first)
            || text == QLatin1String(names[static_cast<std::size_t>(i)].second))
            return i + 1;
    }
    if (text == QLatin1String("sept"))
        return 9;
    return std::nullopt;
}

struct Weekday {
    int day = 0;          // 1 = Monday
    bool needsWord = false; // an abbreviation that is also an English word ("sat", "sun", "wed")
};

std::optional<Weekday> weekday(const QString& text)
{
    static const std::array<const char*, 7> names { "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday" };
    for (int i = 0; i < 7; ++i) {
        if (text == QLatin1String(names[static_cast<std::size_t>(i)]))
            return Weekday { i + 1, false };
    }
    static const std::array<std::pair<const char*, int>, 11> abbreviations { {
        { "mon", 1 }, { "tue", 2 }, { "tues", 2 }, { "wed", 3 }, { "weds", 3 }, { "thu", 4 }, { "thur", 4 },
        { "thurs", 4 }, { "fri", 5 }, { "sat", 6 }, { "sun", 7 },
    } };
    for (const auto& [name, day] : abbreviations) {
        if (text == QLatin1String(name))
            return Weekday { day, text == QLatin1String("wed") || day == 6 || day == 7 };
    }
    return std::nullopt;
}

// A day and its year: the next such day from `today` on when no year is named.
std::optional<QDate> calendarDay(int monthNumber, int day, std::optional<int> year, const QDate& today)
{
    if (year) {
        const QDate date(*year, monthNumber, day);
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    // February 29th waits for the next leap year.
    for (int candidate = today.year(); candidate <= today.year() + 8; ++candidate) {
        const QDate date(candidate, monthNumber, day);
        if (date.isValid() && date >= today)
            return date;
    }
    return std::nullopt;
}

// One reading of the tokens from some index on.
struct Reading {
    int next = 0; // the token after the last one read
    std::optional<QDate> date;
    std::optional<QTime> time;
    std::optional<QDateTime> exact; // "in 20 minutes": a moment, not a day and a time
};

class Grammar {
public:
    Grammar(const QList<Token>& tokens, const QDateTime& now)
        : m_tokens(tokens)
        , m_now(now)
        , m_today(now.date())
    {
    }

    std::optional<Reading> expression(int i) const
    {
        std::optional<Reading> best;
        const auto consider = [&best](std::optional<Reading> reading) {
            if (reading && (!best || reading->next > best->next))
                best = reading;
        };
        if (const auto day = date(i)) {
            Reading reading { day->first, day->second, {}, {} };
            if (const auto part = partOfDayAfterDate(reading.next))
                reading = { part->first, day->second, part->second, {} };
            else if (const auto clock = time(reading.next))
                reading = { clock->first, day->second, clock->second, {} };
            consider(reading);
        }
        if (const auto clock = time(i)) {
            Reading reading { clock->first, {}, clock->second, {} };
            if (const auto day = date(reading.next))
                reading = { day->first, day->second, clock->second, {} };
            consider(reading);
        }
        if (const auto part = partOfToday(i))
            consider(Reading { part->first, m_today, part->second, {} });
        consider(relative(i));
        return best;
    }

private:
    const QString* word(int i) const { return i >= 0 && i < m_tokens.size() ? &m_tokens[i].text : nullptr; }
    bool is(int i, const char* text) const
    {
        const QString* w = word(i);
        return w && *w == QLatin1String(text);
    }

    // A day: relative, a weekday, a month and day, an ISO date, "next week/month".
    std::optional<std::pair<int, QDate>> date(int i) const
    {
        const bool on = is(i, "on");
        if (on) {
            if (auto day = bareDate(i + 1, true))
                return day;
            return std::nullopt;
        }
        return bareDate(i, false);
    }

    std::optional<std::pair<int, QDate>> bareDate(int i, bool afterOn) const
    {
        const QString* w = word(i);
        if (!w)
            return std::nullopt;
        if (*w == QLatin1String("today"))
            return std::pair { i + 1, m_today };
        if (*w == QLatin1String("tomorrow") || *w == QLatin1String("tmrw") || *w == QLatin1String("tmr"))
            return std::pair { i + 1, m_today.addDays(1) };
        if (*w == QLatin1String("yesterday"))
            return std::pair { i + 1, m_today.addDays(-1) };
        const int from = is(i, "the") ? i + 1 : i;
        if (is(from, "day") && is(from + 1, "after") && is(from + 2, "tomorrow"))
            return std::pair { from + 3, m_today.addDays(2) };
        if (from != i) {
            // "the 24th of december", or "the 5th": the next 5th from today on.
            if (auto day = monthAndDay(from))
                return day;
            if (const QString* ordinal = word(from); ordinal && ordinal->size() > 2 && !ordinal->back().isDigit()) {
                if (const auto number = dayOfMonth(*ordinal)) {
                    for (int ahead = 0; ahead < 12; ++ahead) {
                        const QDate month = m_today.addMonths(ahead);
                        const QDate date(month.year(), month.month(), *number);
                        if (date.isValid() && date >= m_today)
                            return std::pair { from + 1, date };
                    }
                }
            }
        }
        if (is(i, "next") && is(i + 1, "week"))
            return std::pair { i + 2, m_today.addDays(7) };
        if (is(i, "next") && is(i + 1, "month"))
            return std::pair { i + 2, m_today.addMonths(1) };
        if (is(i, "this") || is(i, "next")) {
            if (const QString* name = word(i + 1)) {
                if (const auto day = weekday(*name)) {
                    int ahead = (day->day - m_today.dayOfWeek() + 7) % 7;
                    if (is(i, "next") && ahead == 0)
                        ahead = 7;
                    return std::pair { i + 2, m_today.addDays(ahead) };
                }
            }
        }
        if (const auto day = weekday(*w); day && (!day->needsWord || afterOn || time(i + 1)))
            return std::pair { i + 1, m_today.addDays((day->day - m_today.dayOfWeek() + 7) % 7) };
        if (auto iso = isoDate(*w))
            return std::pair { i + 1, *iso };
        return monthAndDay(i);
    }

    static std::optional<QDate> isoDate(const QString& w)
    {
        if (w.size() != 10 || w[4] != u'-' || w[7] != u'-')
            return std::nullopt;
        const auto year = number(w.left(4), 1, 9999);
        const auto monthNumber = number(w.mid(5, 2), 1, 12);
        const auto day = number(w.mid(8, 2), 1, 31);
        if (!year || !monthNumber || !day)
            return std::nullopt;
        const QDate date(*year, *monthNumber, *day);
        return date.isValid() ? std::optional(date) : std::nullopt;
    }

    std::optional<int> year(int i) const
    {
        const QString* w = word(i);
        return w && w->size() == 4 ? number(*w, 1900, 2999) : std::nullopt;
    }

    // "dec 3", "december 3rd 2027", "3 december", "3rd of december, 2027".
    std::optional<std::pair<int, QDate>> monthAndDay(int i) const
    {
        const QString* first = word(i);
        const QString* second = word(i + 1);
        if (!first || !second)
            return std::nullopt;
        std::optional<int> monthNumber;
        std::optional<int> day;
        int next = i + 2;
        if ((monthNumber = month(*first)) && (day = dayOfMonth(*second))) {
            // "dec 3 6pm" reads 6pm as a time below; a four-digit number is a year.
        } else if ((day = dayOfMonth(*first))) {
            int at = i + 1;
            if (is(at, "of"))
                ++at;
            const QString* name = word(at);
            if (!name || !(monthNumber = month(*name)))
                return std::nullopt;
            next = at + 1;
        } else {
            return std::nullopt;
        }
        const std::optional<int> named = year(next);
        if (named)
            ++next;
        if (const auto date = calendarDay(*monthNumber, *day, named, m_today))
            return std::pair { next, *date };
        return std::nullopt;
    }

    // A clock time: "6pm", "6 pm", "6:30pm", "18:00", "noon", "midnight", and after "at" a bare hour.
    std::optional<std::pair<int, QTime>> time(int i) const
    {
        const bool at = is(i, "at");
        const int from = at ? i + 1 : i;
        const QString* w = word(from);
        if (!w)
            return std::nullopt;
        if (*w == QLatin1String("noon") || *w == QLatin1String("midday"))
            return std::pair { from + 1, QTime(12, 0) };
        if (*w == QLatin1String("midnight"))
            return std::pair { from + 1, QTime(0, 0) };
        QString clock = *w;
        std::optional<bool> pm;
        int next = from + 1;
        for (const char* suffix : { "am", "pm" }) {
            if (clock.endsWith(QLatin1String(suffix)) && clock.size() > 2) {
                pm = QLatin1String(suffix) == QLatin1String("pm");
                clock.chop(2);
            }
        }
        if (!pm && (is(next, "am") || is(next, "pm"))) {
            pm = is(next, "pm");
            ++next;
        }
        std::optional<int> hour;
        int minute = 0;
        const qsizetype colon = clock.indexOf(u':');
        if (colon >= 0) {
            hour = number(clock.left(colon), 0, 23);
            const auto minutes = clock.size() - colon - 1 == 2 ? number(clock.mid(colon + 1), 0, 59) : std::nullopt;
            if (!hour || !minutes)
                return std::nullopt;
            minute = *minutes;
        } else if (pm || at) {
            hour = number(clock, 0, 23);
            if (!hour)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
        if (pm) {
            if (*hour < 1 || *hour > 12)
                return std::nullopt;
            hour = *hour % 12 + (*pm ? 12 : 0);
        }
        return std::pair { next, QTime(*hour, minute) };
    }

    static std::optional<int> partHour(const QString& w)
    {
        if (w == QLatin1String("morning"))
            return EnglishDateDetector::morningHour;
        if (w == QLatin1String("afternoon"))
            return EnglishDateDetector::afternoonHour;
        if (w == QLatin1String("evening"))
            return EnglishDateDetector::eveningHour;
        if (w == QLatin1String("night"))
            return EnglishDateDetector::nightHour;
        return std::nullopt;
    }

    // "tomorrow morning", "friday in the evening", or a clock time.
    std::optional<std::pair<int, QTime>> partOfDayAfterDate(int i) const
    {
        int at = i;
        if (is(at, "in") && is(at + 1, "the"))
            at += 2;
        if (const QString* w = word(at)) {
            if (const auto hour = partHour(*w))
                return std::pair { at + 1, QTime(*hour, 0) };
        }
        return std::nullopt;
    }

    // "tonight", "this morning", "this afternoon", "this evening".
    std::optional<std::pair<int, QTime>> partOfToday(int i) const
    {
        if (is(i, "tonight"))
            return std::pair { i + 1, QTime(EnglishDateDetector::tonightHour, 0) };
        if (is(i, "this")) {
            if (const QString* w = word(i + 1)) {
                if (const auto hour = partHour(*w))
                    return std::pair { i + 2, QTime(*hour, 0) };
            }
        }
        return std::nullopt;
    }

    // "in 20 minutes", "in an hour", "in 3 days", "in 2 weeks", "in a month".
    std::optional<Reading> relative(int i) const
    {
        if (!is(i, "in"))
            return std::nullopt;
        const QString* count = word(i + 1);
        const QString* unit = word(i + 2);
        if (!count || !unit)
            return std::nullopt;
        const std::optional<int> amount
            = *count == QLatin1String("a") || *count == QLatin1String("an") ? std::optional(1) : number(*count, 1, 9999);
        if (!amount)
            return std::nullopt;
        const auto unitIs = [&unit](std::initializer_list<const char*> names) {
            for (const char* name : names) {
                if (*unit == QLatin1String(name))
                    return true;
            }
            return false;
        };
        const int next = i + 3;
        if (unitIs({ "minute", "minutes", "min", "mins" }))
            return Reading { next, {}, {}, m_now.addSecs(qint64 { *amount } * 60) };
        if (unitIs({ "hour", "hours", "hr", "hrs" }))
            return Reading { next, {}, {}, m_now.addSecs(qint64 { *amount } * 3600) };
        QDate day;
        if (unitIs({ "day", "days" }))
            day = m_today.addDays(*amount);
        else if (unitIs({ "week", "weeks" }))
            day = m_today.addDays(qint64 { *amount } * 7);
        else if (unitIs({ "month", "months" }))
            day = m_today.addMonths(*amount);
        else
            return std::nullopt;
        if (!day.isValid())
            return std::nullopt;
        Reading reading { next, day, {}, {} };
        if (const auto part = partOfDayAfterDate(next))
            reading = { part->first, day, part->second, {} };
        else if (const auto clock = time(next))
            reading = { clock->first, day, clock->second, {} };
        return reading;
    }

    const QList<Token>& m_tokens;
    QDateTime m_now;
    QDate m_today;
};

QDateTime at(const QDate& date, const QTime& time, const QTimeZone& zone)
{
    const QDateTime exact(date, time, zone);
    // A time the clocks skip that day comes as far after midnight as it says.
    return exact.isValid() ? exact : QDateTime(date, QTime(0, 0), zone).addSecs(time.hour() * 3600 + time.minute() * 60);
}

}

std::optional<DateMatch> EnglishDateDetector::firstMatch(const QString& text, const QDateTime& now) const
{
    const QList<Token> tokens = tokenize(text);
    const Grammar grammar(tokens, now);
    for (int i = 0; i < tokens.size(); ++i) {
        const std::optional<Reading> reading = grammar.expression(i);
        if (!reading)
            continue;
        const QDateTime moment = reading->exact
            ? *reading->exact
            : at(reading->date.value_or(now.date()), reading->time.value_or(QTime(12, 0)), now.timeZone());
        if (!moment.isValid())
            continue;
        const qsizetype start = tokens[i].start;
        return DateMatch { moment, start, tokens[reading->next - 1].end - start, reading->exact || reading->time };
    }
    return std::nullopt;
}

}
