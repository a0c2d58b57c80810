#pragma once

#include <QString>

#include <vector>

namespace Quickhalo::VolumeArc {

// The volume flyout's slider: 80 degrees of band centred on the volume slot, rising towards the
// end that is higher on screen. Offsets t are degrees along the loud direction from the slot:
// [-40, -20) is the mute zone, -20 is level 0 and +40 level 1.

struct Reading {
    float level = 0; // 0..1
    bool inMuteZone = false;
    bool operator==(const Reading&) const = default;
};

// +1 when the loud end is clockwise from the slot, -1 when anticlockwise. Ties in height go to the
// end further to the right.
int loudSign(double sliceAngle);

// Level and mute zone for a pointer at `pointerAngle` around a slot at `sliceAngle`.
Reading map(double pointerAngle, double sliceAngle);

// The compass angle at offset t along the loud direction (not normalised to [0, 360)).
double screenAngle(double sliceAngle, double t);

// The band behind the slider in the 560 x 560 ring frame: an arc about the frame's centre of
// radius 211 from sliceAngle - 40 to sliceAngle + 40, 50 wide with round caps (radii 186..236).
struct Band {
    static constexpr double frameSize = 560;
    static constexpr double radius = 211;
    static constexpr double width = 50;
    static constexpr double halfSpan = 40;

    double sliceAngle = 0;

    // The outline as a closed polygon in frame coordinates (x right, y down, origin top left),
    // `segments` steps along each arc and cap. For drawing and hit tests.
    struct Point {
        double x = 0;
        double y = 0;
    };
    std::vector<Point> outline(int segments = 48) const;
};

// The ring centre's text while the volume slot is highlighted.
struct CentreState {
    bool isAdjustable = true;
    bool isMuted = false;
    bool flyoutOpen = false;
    float flyoutLevel = 0;
    bool isSticky = false;
};
QString centreText(const CentreState& state);

// The symbol a volume slot shows instead of its stored one.
QString liveSymbol(float level, bool isMuted);

}
