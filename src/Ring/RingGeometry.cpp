#include "Ring/RingGeometry.h"

#include <cmath>
#include <numbers>

namespace Quickhalo::RingGeometry {

std::optional<int> sliceIndex(double dx, double dy, int count, double deadZoneRadius)
{
    if (count < 1)
        return std::nullopt;
    const double distanceSquared = dx * dx + dy * dy;
    // Written as "not greater" so that NaN offsets select nothing as well.
    if (!(distanceSquared > 0))
        return std::nullopt;
    if (deadZoneRadius > std::sqrt(distanceSquared))
        return std::nullopt;

    const double width = 360.0 / count;
    // The modulo stays in double so a huge count cannot overflow the conversion.
    const double index = std::fmod(std::floor((compassAngle(dx, dy) + width / 2) / width), count);
    return static_cast<int>(index);
}

double compassAngle(double dx, double dy)
{
    double angle = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
    if (angle < 0)
        angle += 360;
    // A tiny negative angle rounds up to 360 when shifted.
    if (angle >= 360)
        angle = 0;
    return angle;
}

}
