#include "Hotkey/MouseTrigger.h"

#include "Base/EnumTable.h"
#include "Base/Preferences.h"

namespace Quickhalo::MouseTriggers {

namespace {
struct Row {
    MouseTrigger value;
    const char* rawValue;
    const char* label;
    int x11Button; // 0: no button
};
constexpr std::array<Row, 4> table { {
    { MouseTrigger::none, "none", "Off", 0 },
    { MouseTrigger::middle, "middle", "Middle button", 2 },
    { MouseTrigger::button4, "button4", "Side button (back)", 8 },
    { MouseTrigger::button5, "button5", "Side button (forward)", 9 },
} };
}

QString rawValue(MouseTrigger trigger) { return QLatin1String(EnumTable::row(table, trigger).rawValue); }
QString label(MouseTrigger trigger) { return QLatin1String(EnumTable::row(table, trigger).label); }
std::optional<int> x11Button(MouseTrigger trigger)
{
    const int button = EnumTable::row(table, trigger).x11Button;
    return button == 0 ? std::nullopt : std::optional<int>(button);
}
std::optional<MouseTrigger> fromRawValue(QStringView raw) { return EnumTable::fromRawValue(table, raw); }
const std::array<MouseTrigger, 4>& all()
{
    static const auto values = EnumTable::allValues(table);
    return values;
}

MouseTrigger stored(const Preferences& preferences)
{
    const auto raw = preferences.text(PreferenceKey::mouseTrigger);
    return (raw ? fromRawValue(*raw) : std::nullopt).value_or(MouseTrigger::none);
}

void store(Preferences& preferences, MouseTrigger trigger)
{
    preferences.setText(PreferenceKey::mouseTrigger, rawValue(trigger));
}

}
