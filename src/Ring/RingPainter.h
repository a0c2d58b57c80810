#pragma once

#include "Ring/RingScene.h"

#include <QColor>
#include <QImage>
#include <QPointF>

class QPainter;

namespace Quickhalo::RingPainter {

// Sizes of the ring in its 560 x 560 frame.
constexpr double frameSize = 560;
constexpr double ringRadius = 130;       // where the slice symbols sit
constexpr double backgroundRadius = 172; // outer edge of the glass
constexpr double centreRadius = 70;      // the centre disc (and the hub's click radius)
constexpr double numberRadius = 163;
constexpr double volumeArcRadius = 21;   // around the volume slot's symbol

// The moving parts of a frame: animation progress and what the view has loaded.
struct Frame {
    double openingScale = 1;
    double openingOpacity = 1;
    double highlightOpacity = 1;           // of the current highlight
    std::optional<int> fadingHighlight;    // the previous highlight while it fades out
    double fadingHighlightOpacity = 0;
    double flyoutOpacity = 1;
    float flyoutShownLevel = 0;            // eased towards the flyout's level
    QColor accent = QColor(0x35, 0x84, 0xe4);
    QImage artwork;                        // empty without artwork
};

// A point in the frame at a compass angle (0 up, clockwise) and a radius.
QPointF framePoint(double compassAngle, double radius);

// Paints everything but the hub's buttons, which are child widgets of the view.
void paint(QPainter& painter, const RingScene& scene, const Frame& frame);

}
