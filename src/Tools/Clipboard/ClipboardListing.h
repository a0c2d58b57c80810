#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Quickhalo::ClipboardListing {

// What the history shows and searches of one entry, made once when it is recorded and bounded
// however long the entry is: any program can copy megabytes of text. Choosing the entry still
// gives back the whole text.
struct Preview {
    static constexpr qsizetype rowLength = 300;
    static constexpr qsizetype searchLength = 10000;
    static constexpr qsizetype toolTipLength = 500;
    static constexpr qsizetype toolTipLines = 12;

    QString row;        // the first non-empty line, trimmed, at most rowLength characters
    QString searchText; // the first searchLength characters
    QString toolTip;    // the first toolTipLength characters, at most toolTipLines lines

    bool operator==(const Preview&) const = default;
};
Preview preview(const QString& text);

// The positions of the entries whose searched text holds `query` regardless of case, in history
// order; all of them for no query.
QList<int> matching(const QList<Preview>& previews, const QString& query);
// The selection after an arrow key over `count` rows; it stays 0 over an empty list.
int movedUp(int selection, int count);
int movedDown(int selection, int count);

}
