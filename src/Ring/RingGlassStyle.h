#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace Quickhalo {

class Preferences;

// The tint of the ring's glass.
enum class RingGlassStyle { clear, light, dark };

namespace RingGlassStyles {
QString rawValue(RingGlassStyle style);
std::optional<RingGlassStyle> fromRawValue(QStringView raw);
// The stored choice; clear when absent or unknown.
RingGlassStyle stored(const Preferences& preferences);
void store(Preferences& preferences, RingGlassStyle style);
const std::array<RingGlassStyle, 3>& all();
}

}
