#pragma once

#include <QFont>
#include <QString>

class QLabel;

// The type the tool views share: big monospaced results and dimmed caption lines.
namespace Quickhalo::ToolText {

QFont monospaced(qreal pointSize, QFont::Weight weight = QFont::Normal);

// A caption-sized line in the secondary colour, shown as plain text.
QLabel* caption(const QString& text);

}
