#pragma once

#include <QString>

#include <map>
#include <optional>
#include <utility>
#include <vector>

// The units tool's logic: a typed phrase ("5 km in miles") to a query, the fixed table of unit
// names, same-dimension conversion and the display form of a value. Currencies are only
// recognised here; their rates come from the currency service.
namespace Quickhalo {

struct UnitsQuery {
    double value = 0;
    QString from; // lower-case, trimmed, as typed
    QString to;
    bool operator==(const UnitsQuery&) const = default;
};

namespace Units {

enum class Dimension { length, mass, temperature, volume, speed, area, information, duration };

// One unit: base = (value + offset) × coefficient, in the dimension's base unit (metre, kilogram,
// kelvin, litre, metre per second, square metre, byte, second). Only temperatures have offsets.
struct Definition {
    QString unit; // its name, such as "kilometers"
    Dimension dimension;
    double coefficient;
    double offset;
    QString label; // shown after a converted value
};

struct Conversion {
    double value;
    QString unitLabel;
    bool operator==(const Conversion&) const = default;
};

// Every alias, lower-case, to its unit; no alias names two units.
const std::map<QString, const Definition*>& table();
// The units in table order, each once.
const std::vector<Definition>& definitions();

// "£", "$", "€", "¥" to their codes.
const std::vector<std::pair<QString, QString>>& currencySymbols();

// Nothing when either token is no unit, the two measure different things, or the result is not
// finite.
std::optional<Conversion> convert(const UnitsQuery& query);

// A currency code for a token: one of the four symbols, or three ASCII letters that are no unit's
// alias ("usd" → "USD"; "cup", "min" and "day" are units).
std::optional<QString> currencyCode(const QString& token);

// At most four decimals, trailing zeros and point dropped; never "-0".
QString format(double value);

}

namespace UnitsParser {

// "5 km in miles", "$10 to gbp", "100 c → f", "(12 + 8) km in mi": the number (or arithmetic) in
// front, the unit typed after it and the one after "to", "in", "as" or "→". Nothing when the
// phrase has no such shape.
std::optional<UnitsQuery> parse(const QString& input);

}

}
