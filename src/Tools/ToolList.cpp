#include "Tools/ToolList.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QStackedWidget>

namespace Quickhalo::ToolList {

void dress(QAbstractItemView& list, bool hovering)
{
    list.setFrameShape(QFrame::NoFrame);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.viewport()->setAutoFillBackground(false);
    if (hovering) {
        list.setMouseTracking(true);
        list.viewport()->setAttribute(Qt::WA_Hover);
    }
}

std::pair<QStackedWidget*, QLabel*> withEmptyLine(QWidget* list, const QString& text)
{
    auto* empty = new QLabel(text);
    empty->setAlignment(Qt::AlignCenter);
    empty->setForegroundRole(QPalette::PlaceholderText);
    auto* stack = new QStackedWidget;
    stack->addWidget(list);
    stack->addWidget(empty);
    return { stack, empty };
}

}
