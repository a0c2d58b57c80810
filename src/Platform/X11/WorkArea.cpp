#include "Platform/X11/WorkArea.h"

#include <algorithm>

namespace Quickhalo::WorkArea {

namespace {

int toInt(quint32 value)
{
    return static_cast<int>(std::min<quint32>(value, 1u << 30));
}

}

QList<Strut> fromProperty(const QList<quint32>& values, const QSize& desktop)
{
    using Edge = Strut::Edge;
    if (values.size() == 4) {
        return { { Edge::left, toInt(values[0]), 0, desktop.height() - 1 },
            { Edge::right, toInt(values[1]), 0, desktop.height() - 1 },
            { Edge::top, toInt(values[2]), 0, desktop.width() - 1 },
            { Edge::bottom, toInt(values[3]), 0, desktop.width() - 1 } };
    }
    if (values.size() != 12)
        return {};
    return { { Edge::left, toInt(values[0]), toInt(values[4]), toInt(values[5]) },
        { Edge::right, toInt(values[1]), toInt(values[6]), toInt(values[7]) },
        { Edge::top, toInt(values[2]), toInt(values[8]), toInt(values[9]) },
        { Edge::bottom, toInt(values[3]), toInt(values[10]), toInt(values[11]) } };
}

QRect of(const QRect& monitor, const QList<Strut>& struts, const QSize& desktop)
{
    // Edges as half-open ranges: [left, right) and [top, bottom).
    const int monitorLeft = monitor.x();
    const int monitorRight = monitor.x() + monitor.width();
    const int monitorTop = monitor.y();
    const int monitorBottom = monitor.y() + monitor.height();
    int left = monitorLeft;
    int right = monitorRight;
    int top = monitorTop;
    int bottom = monitorBottom;
    const auto alongX = [&](const Strut& s) { return s.start < monitorRight && s.end >= monitorLeft; };
    const auto alongY = [&](const Strut& s) { return s.start < monitorBottom && s.end >= monitorTop; };
    for (const Strut& strut : struts) {
        if (strut.thickness <= 0)
            continue;
        switch (strut.edge) {
        case Strut::Edge::left:
            if (alongY(strut) && strut.thickness > monitorLeft && strut.thickness <= monitorRight)
                left = std::max(left, strut.thickness);
            break;
        case Strut::Edge::right: {
            const int inner = desktop.width() - strut.thickness;
            if (alongY(strut) && inner >= monitorLeft && inner < monitorRight)
                right = std::min(right, inner);
            break;
        }
        case Strut::Edge::top:
            if (alongX(strut) && strut.thickness > monitorTop && strut.thickness <= monitorBottom)
                top = std::max(top, strut.thickness);
            break;
        case Strut::Edge::bottom: {
            const int inner = desktop.height() - strut.thickness;
            if (alongX(strut) && inner >= monitorTop && inner < monitorBottom)
                bottom = std::min(bottom, inner);
            break;
        }
        }
    }
    return { left, top, std::max(0, right - left), std::max(0, bottom - top) };
}

}
