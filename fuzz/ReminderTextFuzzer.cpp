#include "Tools/Reminders/EnglishDateDetector.h"
#include "Tools/Reminders/ReminderText.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QTimeZone>

// Any bytes as a typed line, read at a moment taken from the first byte: a match lies inside the
// text, its moment is valid, and the title is never longer than the line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    if (size == 0)
        return 0;
    static const QTimeZone zone("Europe/Berlin");
    const QDateTime now = QDateTime(QDate(2026, 3, 28), QTime(0, 0), zone.isValid() ? zone : QTimeZone::utc()).addSecs(qint64 { data[0] } * 3600);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const EnglishDateDetector detector;
    if (const auto match = detector.firstMatch(text, now)) {
        if (match->start < 0 || match->length <= 0 || match->start + match->length > text.size() || !match->moment.isValid())
            std::abort();
    }
    const ReminderText::Result result = ReminderText::extract(text, now, detector);
    if (result.title.size() > text.size() || (result.date && !result.date->isValid()) || (!result.date && result.hasTime))
        std::abort();
    return 0;
}
