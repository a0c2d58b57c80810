#include "Tools/Reminders/ReminderText.h"

#include "Tools/Reminders/DateDetector.h"

#include <QStringList>
#include <QTimeZone>

namespace Quickhalo::ReminderText {

namespace {

bool isTrimmed(QChar c)
{
    return c == u' ' || c == u',' || c == u'-' || c == u'\u2013' || c == u':';
}

QString cleanTitle(const QString& rest)
{
    QString title = rest.split(u' ', Qt::SkipEmptyParts).join(u' ');
    qsizetype start = 0;
    qsizetype end = title.size();
    while (start < end && isTrimmed(title[start]))
        ++start;
    while (end > start && isTrimmed(title[end - 1]))
        --end;
    return title.mid(start, end - start);
}

}

Result extract(const QString& text, const QDateTime& now, const DateDetector& detector)
{
    const QString input = text.trimmed();
    const std::optional<DateMatch> match = detector.firstMatch(input, now);
    if (!match || !match->moment.isValid() || match->start < 0 || match->length <= 0
        || match->start + match->length > input.size())
        return { input, std::nullopt, false };

    QDateTime date = match->moment.toTimeZone(now.timeZone());
    const QString matched = input.mid(match->start, match->length).toLower();
    bool hasTime = true;
    // 12:00 is also what a day without a time is reported at. A detector that knows it read a
    // time says so: "in 2 hours" at 10:00 keeps its time.
    if (date.time().hour() == 12 && date.time().minute() == 0 && !match->namesTime)
        hasTime = matched.contains(QLatin1String("12")) || matched.contains(QLatin1String("noon"));
    if (hasTime && date < now && date.date() == now.date()) {
        const QDateTime tomorrow = date.addDays(1);
        if (tomorrow.isValid())
            date = tomorrow;
    }
    QString title = cleanTitle(input.left(match->start) + input.mid(match->start + match->length));
    if (title.isEmpty())
        title = input;
    return { title, date, hasTime };
}

}
