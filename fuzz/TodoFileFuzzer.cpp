#include "Tools/Todo/TodoStore.h"

#include <cstdint>
#include <cstdlib>

#include <QByteArray>

// Any bytes as todo.json: what is read has ids and times, and writes out to a file that reads
// back the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto items = TodoStore::decode(bytes)) {
        for (const TodoItem& item : *items) {
            if (item.id.isNull() || !item.createdAt.isValid())
                std::abort();
        }
        const auto again = TodoStore::decode(TodoStore::encode(*items));
        if (!again || again->size() != items->size())
            std::abort();
        for (qsizetype i = 0; i < items->size(); ++i) {
            if ((*again)[i] != (*items)[i])
                std::abort();
        }
    }
    return 0;
}
