#include "Config/ConfigCodec.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>

// Decoding must survive any bytes, and whatever it accepts must come back unchanged from a
// write and a second read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto result = ConfigCodec::decode(bytes);
    if (!result.config)
        return 0;
    const auto again = ConfigCodec::decode(ConfigCodec::encode(*result.config));
    if (!again.config || *again.config != *result.config || !again.droppedEntries.empty())
        std::abort();
    return 0;
}
