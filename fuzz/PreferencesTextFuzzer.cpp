#include "Base/IniText.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>

// Any bytes must read without a crash, and the text written for what was read must read back to
// text that is written the same: otherwise a file Quickhalo wrote itself would look hand-edited at
// the next start and be kept aside again and again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QByteArray> written = IniText::serialize(IniText::parse(bytes));
    if (!written)
        return 0;
    const std::optional<QByteArray> again = IniText::serialize(IniText::parse(*written));
    if (!again || *again != *written)
        std::abort();
    return 0;
}
