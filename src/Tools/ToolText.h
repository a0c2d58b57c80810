#pragma once

#include <QFont>
#include <QString>

class QLabel;

// The type the tool views share: big monospaced results and dimmed caption lines.
namespace Quickhalo::ToolText {

QFont monospaced(qreal pointSize, QFont::Weight weight = QFont::Normal);

// A caption-sized line in the secondary colour, shown as plain text.
QLabel* caption(const QString& text);

// The one line a panel shows when the user's file could not be read and was kept beside itself,
// dated, instead of being replaced.
QLabel* keptAside(const QString& fileName);
QString keptAsideText(const QString& fileName);

}
