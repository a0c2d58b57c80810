#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace Quickhalo {

class Preferences;

// The extra mouse button that summons the ring, or none.
enum class MouseTrigger { none, middle, button4, button5 };

namespace MouseTriggers {
QString rawValue(MouseTrigger trigger);
QString label(MouseTrigger trigger);
// X11 button number (middle 2, back 8, forward 9); nothing for `none`.
std::optional<int> x11Button(MouseTrigger trigger);
std::optional<MouseTrigger> fromRawValue(QStringView raw);
// The stored choice; none when absent or unknown.
MouseTrigger stored(const Preferences& preferences);
void store(Preferences& preferences, MouseTrigger trigger);
const std::array<MouseTrigger, 4>& all();
}

}
