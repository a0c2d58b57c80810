#include "Ring/RingGlassStyle.h"

#include "Base/EnumTable.h"
#include "Base/Preferences.h"

namespace Quickhalo::RingGlassStyles {

namespace {
struct Row {
    RingGlassStyle value;
    const char* rawValue;
};
constexpr std::array<Row, 3> table { {
    { RingGlassStyle::clear, "clear" },
    { RingGlassStyle::light, "light" },
    { RingGlassStyle::dark, "dark" },
} };
}

QString rawValue(RingGlassStyle style) { return QLatin1String(EnumTable::row(table, style).rawValue); }
std::optional<RingGlassStyle> fromRawValue(QStringView raw) { return EnumTable::fromRawValue(table, raw); }
const std::array<RingGlassStyle, 3>& all()
{
    static const auto values = EnumTable::allValues(table);
    return values;
}

RingGlassStyle stored(const Preferences& preferences)
{
    const auto raw = preferences.text(PreferenceKey::ringGlass);
    return (raw ? fromRawValue(*raw) : std::nullopt).value_or(RingGlassStyle::clear);
}

void store(Preferences& preferences, RingGlassStyle style)
{
    preferences.setText(PreferenceKey::ringGlass, rawValue(style));
}

}
