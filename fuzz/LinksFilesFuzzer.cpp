#include "Tools/Links/LinksStore.h"
#include "Tools/Links/PageTitle.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>

// Any bytes as links.json and as the start of a web page: what is read writes out to a file
// that reads back the same, and a page's title is never blank or spread over lines.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto links = LinksStore::decode(bytes)) {
        const auto again = LinksStore::decode(LinksStore::encode(*links));
        if (!again || *again != *links)
            std::abort();
    }
    for (const bool cut : { false, true }) {
        const QString page = PageTitle::decode(bytes, bytes.left(40), cut);
        if (const std::optional<QString> title = PageTitle::extract(page)) {
            if (title->isEmpty() || title->contains(u'\n') || *title != title->trimmed())
                std::abort();
        }
    }
    return 0;
}
