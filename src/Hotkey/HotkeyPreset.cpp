#include "Hotkey/HotkeyPreset.h"

#include "App/EnumTable.h"

namespace Quickhalo::HotkeyPresets {

namespace {
struct Row {
    HotkeyPreset value;
    const char* rawValue;
    const char* title;
};
constexpr std::array<Row, 4> table { {
    { HotkeyPreset::optionSpace, "optionSpace", "Alt+Space" },
    { HotkeyPreset::controlOptionSpace, "controlOptionSpace", "Ctrl+Alt+Space" },
    { HotkeyPreset::shiftCommandSpace, "shiftCommandSpace", "Shift+Super+Space" },
    { HotkeyPreset::controlShiftSpace, "controlShiftSpace", "Ctrl+Shift+Space" },
} };
}

QString rawValue(HotkeyPreset preset) { return QLatin1String(EnumTable::row(table, preset).rawValue); }
QString title(HotkeyPreset preset) { return QLatin1String(EnumTable::row(table, preset).title); }
std::optional<HotkeyPreset> fromRawValue(QStringView raw) { return EnumTable::fromRawValue(table, raw); }
const std::array<HotkeyPreset, 4>& all()
{
    static const auto values = EnumTable::allValues(table);
    return values;
}

}
