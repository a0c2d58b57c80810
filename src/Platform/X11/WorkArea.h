#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QtGlobal>

namespace Quickhalo::WorkArea {

// Space a panel or dock keeps to itself (EWMH _NET_WM_STRUT_PARTIAL): `thickness` pixels in from
// one edge of the whole desktop, over [start, end] along that edge, both ends included.
struct Strut {
    enum class Edge { left, right, top, bottom };
    Edge edge = Edge::left;
    int thickness = 0;
    int start = 0;
    int end = 0;
    bool operator==(const Strut&) const = default;
};

// The struts of the twelve values of _NET_WM_STRUT_PARTIAL, or of the four of _NET_WM_STRUT,
// which span whole edges. Nothing for any other count.
QList<Strut> fromProperty(const QList<quint32>& values, const QSize& desktop);

// A monitor less the struts that end inside it. Struts are measured from the desktop's edges,
// so a panel beside an inner monitor edge reaches across the monitors before it; those are not
// cut by it.
QRect of(const QRect& monitor, const QList<Strut>& struts, const QSize& desktop);

}
