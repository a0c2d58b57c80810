#pragma once

#include <optional>

namespace Quickhalo::RingGeometry {

// Angles are compass degrees in [0, 360): 0 straight up from the ring's centre, growing
// clockwise. Offsets are (dx, dy) in points with y pointing up (dy > 0: above the centre).

constexpr int sliceCount = 8;
constexpr double deadZone = 72.0;

// The slice under the pointer, or nothing inside the dead zone (a distance equal to the dead
// zone already selects), at the exact centre, or when count < 1. Boundaries belong to the next
// slice clockwise; angles just below 360 wrap to slice 0.
std::optional<int> sliceIndex(double dx, double dy, int count = sliceCount, double deadZoneRadius = deadZone);

// The compass angle of an offset (0 for the exact centre).
double compassAngle(double dx, double dy);

}
