#include "Tools/ClipboardListing.h"

#include <QRegularExpression>

#include <algorithm>

namespace Quickhalo::ClipboardListing {

QStringList filtered(const QStringList& items, const QString& query)
{
    if (query.isEmpty())
        return items;
    QStringList hits;
    for (const QString& item : items) {
        if (item.contains(query, Qt::CaseInsensitive))
            hits << item;
    }
    return hits;
}

QString firstLine(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\\n\\r\\x{000B}\\x{000C}\\x{0085}\\x{2028}\\x{2029}]"));
    const QStringList lines = text.trimmed().split(lineBreak, Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.first();
}

int movedUp(int selection, int count)
{
    if (count <= 0)
        return 0;
    return std::min(std::max(selection - 1, 0), count - 1);
}

int movedDown(int selection, int count)
{
    if (count <= 0)
        return 0;
    return std::min(selection + 1, count - 1);
}

}
