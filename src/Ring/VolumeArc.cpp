#include "Ring/VolumeArc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Quickhalo::VolumeArc {

namespace {

constexpr double tieTolerance = 1e-9;
constexpr double muteZoneEnd = -20;
constexpr double levelSpan = 60;

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

Band::Point framePoint(double compassDegrees, double radius)
{
    const double centre = Band::frameSize / 2;
    const double angle = radians(compassDegrees);
    return { centre + radius * std::sin(angle), centre - radius * std::cos(angle) };
}

// A half circle around `centre` from centre + radius * start to centre - radius * start, bulging
// towards `bulge`; both unit vectors. The end points are left out: the arcs supply them.
void appendCap(std::vector<Band::Point>& points, Band::Point centre, Band::Point start, Band::Point bulge,
    double radius, int segments)
{
    for (int step = 1; step < segments; ++step) {
        const double phase = std::numbers::pi * step / segments;
        const double along = std::cos(phase);
        const double across = std::sin(phase);
        points.push_back({ centre.x + radius * (along * start.x + across * bulge.x),
            centre.y + radius * (along * start.y + across * bulge.y) });
    }
}

}

int loudSign(double sliceAngle)
{
    // On screen the cosine of a compass angle is the upward component, the sine the rightward one.
    const double clockwiseHeight = std::cos(radians(sliceAngle + Band::halfSpan));
    const double anticlockwiseHeight = std::cos(radians(sliceAngle - Band::halfSpan));
    if (std::abs(clockwiseHeight - anticlockwiseHeight) >= tieTolerance)
        return clockwiseHeight > anticlockwiseHeight ? 1 : -1;
    return std::sin(radians(sliceAngle + Band::halfSpan)) > std::sin(radians(sliceAngle - Band::halfSpan)) ? 1 : -1;
}

Reading map(double pointerAngle, double sliceAngle)
{
    // fmod keeps the dividend's sign, so both directions need folding into (-180, 180].
    double delta = std::fmod(pointerAngle - sliceAngle, 360.0);
    if (delta > 180)
        delta -= 360;
    else if (delta <= -180)
        delta += 360;

    const double offset = delta * loudSign(sliceAngle);
    if (offset < muteZoneEnd)
        return { 0, true };
    const double level = std::clamp((offset - muteZoneEnd) / levelSpan, 0.0, 1.0);
    return { static_cast<float>(level), false };
}

double screenAngle(double sliceAngle, double t) { return sliceAngle + loudSign(sliceAngle) * t; }

std::vector<Band::Point> Band::outline(int segments) const
{
    segments = std::max(segments, 1);
    const double outerRadius = radius + width / 2;
    const double innerRadius = radius - width / 2;
    const double capRadius = width / 2;
    const double start = sliceAngle - halfSpan;
    const double end = sliceAngle + halfSpan;

    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(segments) * 4);

    for (int step = 0; step <= segments; ++step)
        points.push_back(framePoint(start + (end - start) * step / segments, outerRadius));

    // Outward and clockwise unit vectors at the end angle.
    const Point endCentre = framePoint(end, radius);
    const double endRadians = radians(end);
    const Point endOutward { std::sin(endRadians), -std::cos(endRadians) };
    const Point endClockwise { std::cos(endRadians), std::sin(endRadians) };
    appendCap(points, endCentre, endOutward, endClockwise, capRadius, segments);

    for (int step = 0; step <= segments; ++step)
        points.push_back(framePoint(end - (end - start) * step / segments, innerRadius));

    const Point startCentre = framePoint(start, radius);
    const double startRadians = radians(start);
    const Point startInward { -std::sin(startRadians), std::cos(startRadians) };
    const Point startAnticlockwise { -std::cos(startRadians), -std::sin(startRadians) };
    appendCap(points, startCentre, startInward, startAnticlockwise, capRadius, segments);

    return points;
}

QString centreText(const CentreState& state)
{
    if (!state.isAdjustable)
        return QStringLiteral("No volume control");
    if (state.flyoutOpen && state.isMuted)
        return QStringLiteral("Muted");
    if (state.flyoutOpen) {
        const auto percent = static_cast<int>(std::lround(static_cast<double>(state.flyoutLevel) * 100));
        return QString::number(percent) + QLatin1Char('%');
    }
    if (state.isSticky)
        return QStringLiteral("Click to mute");
    return QStringLiteral("Release to mute \u00b7 push out for slider");
}

QString liveSymbol(float level, bool isMuted)
{
    if (isMuted || level <= 0)
        return QStringLiteral("speaker.slash.fill");
    if (level < 0.34f)
        return QStringLiteral("speaker.wave.1.fill");
    if (level < 0.67f)
        return QStringLiteral("speaker.wave.2.fill");
    return QStringLiteral("speaker.wave.3.fill");
}

}
