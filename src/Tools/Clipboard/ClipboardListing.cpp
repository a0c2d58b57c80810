#include "Tools/Clipboard/ClipboardListing.h"

#include "Base/LineBreaks.h"

#include <algorithm>

namespace Quickhalo::ClipboardListing {

namespace {

// At most `length` characters from `start`, never ending in half of a surrogate pair.
QString cut(const QString& text, qsizetype start, qsizetype length)
{
    QString part = text.mid(start, length);
    if (part.size() == length && !part.isEmpty() && part.back().isHighSurrogate())
        part.chop(1);
    return part;
}

// The first non-empty line, trimmed; it looks no further than it must.
QString firstLine(const QString& text)
{
    const auto begin = std::find_if(text.cbegin(), text.cend(), [](QChar character) { return !character.isSpace(); });
    const qsizetype start = begin - text.cbegin();
    const qsizetype end = std::find_if(begin, begin + std::min(Preview::rowLength, text.size() - start), LineBreaks::isLineBreak) - text.cbegin();
    return cut(text, start, end - start).trimmed();
}

}

Preview preview(const QString& text)
{
    Preview made { firstLine(text), cut(text, 0, Preview::searchLength), cut(text, 0, Preview::toolTipLength) };
    qsizetype lineEnd = -1;
    for (qsizetype line = 0; line < Preview::toolTipLines; ++line) {
        lineEnd = made.toolTip.indexOf(QLatin1Char('\n'), lineEnd + 1);
        if (lineEnd < 0)
            break;
    }
    if (lineEnd >= 0)
        made.toolTip.truncate(lineEnd);
    return made;
}

QList<int> matching(const QList<Preview>& previews, const QString& query)
{
    QList<int> hits;
    for (int index = 0; index < previews.size(); ++index) {
        if (query.isEmpty() || previews[index].searchText.contains(query, Qt::CaseInsensitive))
            hits << index;
    }
    return hits;
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
