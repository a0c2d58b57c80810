#pragma once

#include <QString>
#include <QStringList>

namespace Quickhalo::ClipboardListing {

// The entries holding `query` regardless of case, in history order; all of them for no query.
QStringList filtered(const QStringList& items, const QString& query);
// What a row shows: the first non-empty line of the trimmed text.
QString firstLine(const QString& text);
// The selection after an arrow key over `count` rows; it stays 0 over an empty list.
int movedUp(int selection, int count);
int movedDown(int selection, int count);

}
