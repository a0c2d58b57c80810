#pragma once

#include <QList>
#include <QRect>

namespace Quickhalo {

// One screen in desktop pixels with y pointing down, as WindowMover measures windows.
struct ScreenArea {
    QRect frame;
    QRect workArea; // the frame less panels and docks
    bool operator==(const ScreenArea&) const = default;
};

// The screens of the desktop as they are now.
class ScreenLayout {
public:
    virtual ~ScreenLayout() = default;
    // The primary screen first; empty when there is no screen at all.
    virtual QList<ScreenArea> screens() const = 0;
};

}
