#include "Hotkey/HotkeyPreset.h"

#include "Base/EnumTable.h"
#include "Base/Preferences.h"

namespace Quickhalo::HotkeyPresets {

namespace {
struct Row {
    HotkeyPreset value;
    const char* rawValue;
    const char* title;
    Qt::KeyboardModifier first;
    Qt::KeyboardModifier second;
};
constexpr std::array<Row, 4> table { {
    { HotkeyPreset::optionSpace, "optionSpace", "Alt+Space", Qt::AltModifier, Qt::NoModifier },
    { HotkeyPreset::controlOptionSpace, "controlOptionSpace", "Ctrl+Alt+Space", Qt::ControlModifier, Qt::AltModifier },
    { HotkeyPreset::shiftCommandSpace, "shiftCommandSpace", "Shift+Super+Space", Qt::ShiftModifier, Qt::MetaModifier },
    { HotkeyPreset::controlShiftSpace, "controlShiftSpace", "Ctrl+Shift+Space", Qt::ControlModifier,
        Qt::ShiftModifier },
} };
}

QString rawValue(HotkeyPreset preset)
{
    return QLatin1String(EnumTable::row(table, preset).rawValue);
}
QString title(HotkeyPreset preset)
{
    return QLatin1String(EnumTable::row(table, preset).title);
}
std::optional<HotkeyPreset> fromRawValue(QStringView raw)
{
    return EnumTable::fromRawValue(table, raw);
}
QKeyCombination combination(HotkeyPreset preset)
{
    const Row& row = EnumTable::row(table, preset);
    return QKeyCombination(Qt::KeyboardModifiers(row.first) | row.second, Qt::Key_Space);
}
const std::array<HotkeyPreset, 4>& all()
{
    static const auto values = EnumTable::allValues(table);
    return values;
}

HotkeyPreset stored(const Preferences& preferences)
{
    const auto raw = preferences.text(PreferenceKey::hotkeyPreset);
    return (raw ? fromRawValue(*raw) : std::nullopt).value_or(defaultPreset);
}

void store(Preferences& preferences, HotkeyPreset preset)
{
    preferences.setText(PreferenceKey::hotkeyPreset, rawValue(preset));
}

}
