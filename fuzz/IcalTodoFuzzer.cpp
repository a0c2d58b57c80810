#include "Platform/Ical/IcalTodo.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QDateTime>

// Any bytes as a reminder's .ics file: what is read has a UID, and a tick-off gives a file that
// reads back as the same to-do, done.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<ReminderItem> item = IcalTodo::read(bytes);
    if (item && item->uid.isEmpty())
        std::abort();
    if (const std::optional<QByteArray> done = IcalTodo::complete(bytes, QDateTime(QDate(2026, 12, 10), QTime(10, 0)))) {
        const std::optional<ReminderItem> again = IcalTodo::read(*done);
        if (!item || !again || !again->completed || again->uid != item->uid || again->summary != item->summary)
            std::abort();
    }
    return 0;
}
