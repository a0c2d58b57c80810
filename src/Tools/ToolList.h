#pragma once

#include <QString>

#include <utility>

class QAbstractItemView;
class QLabel;
class QStackedWidget;
class QWidget;

// The lists the tool panels share: rows their delegate paints over the panel's background, and
// a dim line in their place while there are none.
namespace Quickhalo::ToolList {

// No frame, no sideways scrolling, no background of its own; `hovering` lets rows see the pointer.
void dress(QAbstractItemView& list, bool hovering = false);

// A stack showing `list`, or the empty line instead of it: the stack, then the line.
std::pair<QStackedWidget*, QLabel*> withEmptyLine(QWidget* list, const QString& text = {});

}
