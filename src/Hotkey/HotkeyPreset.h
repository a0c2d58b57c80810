#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace Quickhalo {

// The four keyboard shortcuts that summon the ring: Space with a modifier combination.
enum class HotkeyPreset { optionSpace, controlOptionSpace, shiftCommandSpace, controlShiftSpace };

namespace HotkeyPresets {
constexpr HotkeyPreset defaultPreset = HotkeyPreset::controlOptionSpace;
QString rawValue(HotkeyPreset preset);
QString title(HotkeyPreset preset); // "Ctrl+Alt+Space": the menu, settings and log text
std::optional<HotkeyPreset> fromRawValue(QStringView raw);
const std::array<HotkeyPreset, 4>& all();
}

}
