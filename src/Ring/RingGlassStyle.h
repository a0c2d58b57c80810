#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace Quickhalo {

// The tint of the ring's glass.
enum class RingGlassStyle { clear, light, dark };

namespace RingGlassStyles {
QString rawValue(RingGlassStyle style);
std::optional<RingGlassStyle> fromRawValue(QStringView raw);
const std::array<RingGlassStyle, 3>& all();
}

}
