#include "Platform/Systemd/SystemdUnits.h"
#include "Tools/Clock/AlarmStore.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>

// Any bytes, as alarms.json and as one of our timer units: alarms that are read are in range and
// write out to a file that reads back the same; a unit file's name is ours only with a real id.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto alarms = AlarmStore::decode(bytes)) {
        for (const Alarm& alarm : *alarms) {
            if (alarm.hour < 0 || alarm.hour > 23 || alarm.minute < 0 || alarm.minute > 59)
                std::abort();
        }
        if (AlarmStore::decode(AlarmStore::encode(*alarms)) != alarms)
            std::abort();
    }
    if (const auto id = SystemdUnits::alarmIdOf(QString::fromUtf8(bytes)); id && SystemdUnits::baseName(*id).size() != 52)
        std::abort();
    return 0;
}
