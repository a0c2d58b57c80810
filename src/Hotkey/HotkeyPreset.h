#pragma once

#include <QKeyCombination>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace Quickhalo {

class Preferences;

// The four keyboard shortcuts that summon the ring: Space with a modifier combination.
enum class HotkeyPreset { optionSpace, controlOptionSpace, shiftCommandSpace, controlShiftSpace };

namespace HotkeyPresets {
constexpr HotkeyPreset defaultPreset = HotkeyPreset::controlOptionSpace;
QString rawValue(HotkeyPreset preset);
QString title(HotkeyPreset preset); // "Ctrl+Alt+Space": the menu, settings and log text
std::optional<HotkeyPreset> fromRawValue(QStringView raw);
// Space with the preset's modifiers, as the global hotkeys grab it.
QKeyCombination combination(HotkeyPreset preset);
// The stored choice; defaultPreset when absent or unknown.
HotkeyPreset stored(const Preferences& preferences);
void store(Preferences& preferences, HotkeyPreset preset);
const std::array<HotkeyPreset, 4>& all();
}

}
