#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <optional>
#include <vector>

namespace Quickhalo {

// One screen in desktop pixels with y pointing down, as WindowMover measures windows.
struct ScreenArea {
    QRect frame;
    QRect workArea; // the frame less panels and docks
    bool operator==(const ScreenArea&) const = default;
};

// One screen as windows are placed on it: Qt's points with y pointing up, like the pointer.
struct ScreenFrame {
    QRectF frame;
    QRectF visibleFrame; // the frame less panels and docks
    bool operator==(const ScreenFrame&) const = default;
};

// The desktop in Qt's points with y up: its screens, the primary first, and the height that turns
// those points into Qt's y-down window positions and back.
struct DesktopFrames {
    std::vector<ScreenFrame> screens;
    double height = 0; // the bottom edge of all screens together, y down

    // From screens in Qt's y-down points; the height is theirs.
    static DesktopFrames fromYDown(const QList<QRectF>& frames, const QList<QRectF>& workAreas);

    std::optional<ScreenFrame> primary() const;
    // The screen whose frame holds `point` (a bottom edge belongs to the screen below, as pixel
    // rows counted from the top do), else the primary, else none.
    std::optional<ScreenFrame> screenAt(QPointF point) const;
    QPointF toWindowPosition(QPointF yUp) const;
    QRectF toWindowGeometry(const QRectF& yUp) const;
};

// The screens of the desktop as they are now.
class ScreenLayout {
public:
    virtual ~ScreenLayout() = default;
    // The primary screen first; empty when there is no screen at all.
    virtual QList<ScreenArea> screens() const = 0;
    // The same screens with the same work areas, in the points windows are placed in.
    virtual DesktopFrames frames() const = 0;
};

}
