#include "App/TrayIconArt.h"

#include <QPainter>
#include <QPixmap>

namespace Quickhalo::TrayIconArt {

QIcon icon(const QColor& colour)
{
    QIcon result;
    for (const int size : { 16, 22, 24, 32, 48, 64 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = size;
        const qreal stroke = std::max(1.5, side / 11.0);
        painter.setPen(QPen(colour, stroke));
        painter.setBrush(Qt::NoBrush);
        const qreal outer = side / 2.0 - stroke;
        painter.drawEllipse(QPointF(side / 2.0, side / 2.0), outer, outer);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const qreal inner = side / 5.5;
        painter.drawEllipse(QPointF(side / 2.0, side / 2.0), inner, inner);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

}
