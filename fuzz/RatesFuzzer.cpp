#include "Tools/Units/CurrencyService.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

// Any bytes, as a service's answer and as rates.json: rates that are taken are finite, and a
// cache that was read writes out to a file that reads back with the same entries.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto body = CurrencyService::parseBody(bytes)) {
        for (const double rate : body->second) {
            if (!std::isfinite(rate))
                std::abort();
        }
    }
    if (const auto cache = CurrencyService::decodeFile(bytes)) {
        const auto again = CurrencyService::decodeFile(CurrencyService::encodeFile(*cache));
        if (!again || again->size() != cache->size())
            std::abort();
        for (const auto& [base, entry] : *cache) {
            const auto found = again->find(base);
            if (found == again->end() || found->second.rates != entry.rates || found->second.date != entry.date)
                std::abort();
        }
    }
    return 0;
}
