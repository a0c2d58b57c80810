#include "App/ReminderCommand.h"

#include "Tools/Reminders/EnglishDateDetector.h"
#include "Tools/Reminders/ReminderText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace Quickhalo::ReminderCommand {

namespace {

qsizetype codePoints(QStringView text)
{
    return text.toUcs4().size();
}

}

Outcome run(const QStringList& words, const QDateTime& now)
{
    QStringList line = words;
    QDateTime reference = now.toLocalTime();
    if (!line.isEmpty() && (line.front() == QLatin1String("--now") || line.front().startsWith(QLatin1String("--now=")))) {
        QString value;
        if (line.front() == QLatin1String("--now")) {
            line.removeFirst();
            if (line.isEmpty())
                return { usage, {}, QStringLiteral("--now needs a date and time, such as 2026-12-10T09:30") };
            value = line.takeFirst();
        } else {
            value = line.takeFirst().mid(6);
        }
        const QDateTime given = QDateTime::fromString(value, Qt::ISODateWithMs);
        if (!given.isValid())
            return { usage, {}, QStringLiteral("--now \"%1\" is not an ISO 8601 date and time, such as 2026-12-10T09:30").arg(value) };
        // Without an offset it is a local time; with one, the same moment on the local clock.
        reference = given.toLocalTime();
    }

    const QString input = line.join(u' ').trimmed();
    const EnglishDateDetector detector;
    const ReminderText::Result result = ReminderText::extract(input, reference, detector);
    QJsonObject object { { QStringLiteral("title"), result.title }, { QStringLiteral("hasTime"), result.hasTime } };
    object.insert(QStringLiteral("due"),
        result.date ? QJsonValue(result.date->toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm"))) : QJsonValue());
    const std::optional<DateMatch> match = result.date ? detector.firstMatch(input, reference) : std::nullopt;
    if (match) {
        const QStringView text = QStringView(input).mid(match->start, match->length);
        object.insert(QStringLiteral("match"),
            QJsonObject { { QStringLiteral("index"), codePoints(QStringView(input).left(match->start)) },
                { QStringLiteral("length"), codePoints(text) }, { QStringLiteral("text"), text.toString() } });
    } else {
        object.insert(QStringLiteral("match"), QJsonValue());
    }
    return { parsed, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)), {} };
}

}
