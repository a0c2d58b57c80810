#include "Tools/Units/Units.h"

#include "Tools/Calculator/Calculator.h"

#include <QRegularExpression>

#include <cmath>

namespace Quickhalo {

namespace Units {

namespace {

struct Row {
    const char* unit;
    Dimension dimension;
    double coefficient;
    double offset;
    const char* label;
    std::vector<const char*> aliases;
};

// Coefficients as GNU units defines them: the international inch, foot, yard and mile, the acre
// of the international foot, the avoirdupois ounce and pound, US customary kitchen measures and
// liquid gallon, the imperial gallon, the international knot.
const std::vector<Row>& rows()
{
    using D = Dimension;
    constexpr double usGallon = 3.785411784;
    constexpr double usFluidOunce = usGallon / 128;
    constexpr double imperialGallon = 4.54609;
    constexpr double pound = 0.45359237;
    static const std::vector<Row> table {
        { "millimeters", D::length, 0.001, 0, "mm", { "mm", "millimeter", "millimeters", "millimetre", "millimetres" } },
        { "centimeters", D::length, 0.01, 0, "cm", { "cm", "centimeter", "centimeters", "centimetre", "centimetres" } },
        { "meters", D::length, 1, 0, "m", { "m", "meter", "meters", "metre", "metres" } },
        { "kilometers", D::length, 1000, 0, "km", { "km", "kilometer", "kilometers", "kilometre", "kilometres" } },
        { "inches", D::length, 0.0254, 0, "in", { "in", "inch", "inches", "\"" } },
        { "feet", D::length, 0.3048, 0, "ft", { "ft", "foot", "feet" } },
        { "yards", D::length, 0.9144, 0, "yd", { "yd", "yard", "yards" } },
        { "miles", D::length, 1609.344, 0, "mi", { "mi", "mile", "miles" } },

        { "grams", D::mass, 0.001, 0, "g", { "g", "gram", "grams" } },
        { "kilograms", D::mass, 1, 0, "kg", { "kg", "kilo", "kilos", "kilogram", "kilograms" } },
        { "ounces", D::mass, pound / 16, 0, "oz", { "oz", "ounce", "ounces" } },
        { "poundsMass", D::mass, pound, 0, "lb", { "lb", "lbs", "pound", "pounds" } },
        { "stones", D::mass, 14 * pound, 0, "st", { "st", "stone" } },

        { "celsius", D::temperature, 1, 273.15, "°C", { "c", "°c", "celsius" } },
        { "fahrenheit", D::temperature, 5.0 / 9.0, 459.67, "°F", { "f", "°f", "fahrenheit" } },
        { "kelvin", D::temperature, 1, 0, "K", { "k", "kelvin" } },

        { "milliliters", D::volume, 0.001, 0, "ml", { "ml", "millilitre", "millilitres", "milliliter", "milliliters" } },
        { "liters", D::volume, 1, 0, "l", { "l", "litre", "litres", "liter", "liters" } },
        { "teaspoons", D::volume, usFluidOunce / 6, 0, "tsp", { "tsp", "teaspoon", "teaspoons" } },
        { "tablespoons", D::volume, usFluidOunce / 2, 0, "tbsp", { "tbsp", "tablespoon", "tablespoons" } },
        { "cups", D::volume, usFluidOunce * 8, 0, "cup", { "cup", "cups" } },
        { "fluidOunces", D::volume, usFluidOunce, 0, "fl oz", { "floz", "fl oz", "fluid ounce", "fluid ounces" } },
        { "pints", D::volume, usGallon / 8, 0, "pt", { "pt", "pint", "pints" } },
        { "gallons", D::volume, usGallon, 0, "gal", { "gal", "gallon", "gallons" } },
        { "imperialGallons", D::volume, imperialGallon, 0, "imp gal",
            { "uk gal", "uk gallon", "uk gallons", "imperial gal", "imperial gallon", "imperial gallons" } },
        { "imperialPints", D::volume, imperialGallon / 8, 0, "imp pt",
            { "uk pt", "uk pint", "uk pints", "imperial pt", "imperial pint", "imperial pints" } },
        { "imperialFluidOunces", D::volume, imperialGallon / 160, 0, "imp fl oz",
            { "uk floz", "uk fl oz", "imperial floz", "imperial fl oz" } },

        { "kilometersPerHour", D::speed, 1000.0 / 3600.0, 0, "km/h", { "kph", "kmh", "km/h", "kmph" } },
        { "milesPerHour", D::speed, 1609.344 / 3600.0, 0, "mph", { "mph", "mi/h" } },
        { "metersPerSecond", D::speed, 1, 0, "m/s", { "m/s", "mps" } },
        { "knots", D::speed, 1852.0 / 3600.0, 0, "kn", { "kn", "knot", "knots" } },

        { "squareMeters", D::area, 1, 0, "m²", { "m2", "m²", "sqm" } },
        { "squareKilometers", D::area, 1e6, 0, "km²", { "km2", "km²" } },
        { "squareFeet", D::area, 0.3048 * 0.3048, 0, "ft²", { "ft2", "ft²", "sqft" } },
        { "acres", D::area, 43560 * 0.3048 * 0.3048, 0, "acre", { "acre", "acres" } },
        { "hectares", D::area, 1e4, 0, "ha", { "hectare", "hectares", "ha" } },

        { "bytes", D::information, 1, 0, "B", { "b", "byte", "bytes" } },
        { "bits", D::information, 0.125, 0, "bit", { "bit", "bits" } },
        { "kilobytes", D::information, 1e3, 0, "KB", { "kb" } },
        { "megabytes", D::information, 1e6, 0, "MB", { "mb" } },
        { "gigabytes", D::information, 1e9, 0, "GB", { "gb" } },
        { "terabytes", D::information, 1e12, 0, "TB", { "tb" } },
        { "kibibytes", D::information, 1024.0, 0, "KiB", { "kib" } },
        { "mebibytes", D::information, 1024.0 * 1024, 0, "MiB", { "mib" } },
        { "gibibytes", D::information, 1024.0 * 1024 * 1024, 0, "GiB", { "gib" } },

        { "seconds", D::duration, 1, 0, "s", { "s", "sec", "secs", "second", "seconds" } },
        { "minutes", D::duration, 60, 0, "min", { "min", "mins", "minute", "minutes" } },
        { "hours", D::duration, 3600, 0, "h", { "h", "hr", "hrs", "hour", "hours" } },
        { "days", D::duration, 86400, 0, "d", { "d", "day", "days" } },
        { "weeks", D::duration, 604800, 0, "wk", { "wk", "week", "weeks" } },
    };
    return table;
}

}

const std::vector<Definition>& definitions()
{
    static const std::vector<Definition> all = [] {
        std::vector<Definition> list;
        for (const Row& row : rows())
            list.push_back({ QString::fromUtf8(row.unit), row.dimension, row.coefficient, row.offset,
                QString::fromUtf8(row.label) });
        return list;
    }();
    return all;
}

const std::map<QString, const Definition*>& table()
{
    static const std::map<QString, const Definition*> aliases = [] {
        std::map<QString, const Definition*> map;
        const std::vector<Definition>& units = definitions();
        for (std::size_t i = 0; i < rows().size(); ++i) {
            for (const char* alias : rows()[i].aliases) {
                [[maybe_unused]] const bool added = map.emplace(QString::fromUtf8(alias), &units[i]).second;
                Q_ASSERT_X(added, "Units", "an alias names two units");
            }
        }
        return map;
    }();
    return aliases;
}

const std::vector<std::pair<QString, QString>>& currencySymbols()
{
    static const std::vector<std::pair<QString, QString>> symbols {
        { QStringLiteral("£"), QStringLiteral("GBP") },
        { QStringLiteral("$"), QStringLiteral("USD") },
        { QStringLiteral("€"), QStringLiteral("EUR") },
        { QStringLiteral("¥"), QStringLiteral("JPY") },
    };
    return symbols;
}

std::optional<Conversion> convert(const UnitsQuery& query)
{
    const auto& aliases = table();
    const auto from = aliases.find(query.from);
    const auto to = aliases.find(query.to);
    if (from == aliases.end() || to == aliases.end() || from->second->dimension != to->second->dimension)
        return std::nullopt;
    const double base = (query.value + from->second->offset) * from->second->coefficient;
    const double value = base / to->second->coefficient - to->second->offset;
    if (!std::isfinite(value))
        return std::nullopt;
    return Conversion { value, to->second->label };
}

std::optional<QString> currencyCode(const QString& token)
{
    for (const auto& [symbol, code] : currencySymbols()) {
        if (token == symbol)
            return code;
    }
    if (table().contains(token) || token.size() != 3)
        return std::nullopt;
    for (const QChar c : token) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return std::nullopt;
    }
    return token.toUpper();
}

QString format(double value)
{
    QString text = QString::asprintf("%.4f", value);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        return QStringLiteral("0");
    return text;
}

}

namespace UnitsParser {

namespace {

// Without Unicode properties \d and \s would be ASCII only, unlike the whitespace the phrase is
// trimmed of.
constexpr auto options = QRegularExpression::UseUnicodePropertiesOption;

const QString separators = QStringLiteral(R"((?:\s+(?:to|in|as)\s+|\s*→\s*))");

QString rewriteCurrencySymbol(const QString& text)
{
    static const QRegularExpression symbol(QStringLiteral(R"(^([£$€¥])\s*(-?[\d.,]+))"), options);
    const QRegularExpressionMatch match = symbol.match(text);
    if (!match.hasMatch())
        return text;
    return match.captured(2) + u' ' + match.captured(1) + text.mid(match.capturedEnd(0));
}

QString trimSpacesAndTabs(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(start, end - start);
}

std::optional<UnitsQuery> queryOf(std::optional<double> value, const QString& from, const QString& to)
{
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    UnitsQuery query { *value, trimSpacesAndTabs(from), trimSpacesAndTabs(to) };
    if (query.from.isEmpty() || query.to.isEmpty())
        return std::nullopt;
    return query;
}

// A plain number: "1,000.5" is 1000.5, and "5,5" is 55, as every comma is dropped.
std::optional<UnitsQuery> parsePlain(const QString& text)
{
    static const QRegularExpression phrase(
        QStringLiteral(R"(^(-?\d[\d,]*\.?\d*|-?\.\d+)\s*(.+?))") + separators + QStringLiteral("(.+?)$"), options);
    const QRegularExpressionMatch match = phrase.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).remove(u',').toDouble(&ok);
    return queryOf(ok ? std::optional(value) : std::nullopt, match.captured(2), match.captured(3));
}

// Arithmetic in front of the unit: "(12 + 8) km in mi", "3*1.5 cup to ml". A unit starts with
// none of the characters an expression is made of.
std::optional<UnitsQuery> parseExpression(const QString& text)
{
    static const QRegularExpression phrase(QStringLiteral(R"(^([-+*/%^()\d.\s]+?)\s*([^-+*/%^()\d.,\s].*?))")
            + separators + QStringLiteral("(.+?)$"),
        options);
    const QRegularExpressionMatch match = phrase.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return queryOf(Calculator::evaluate(match.captured(1)), match.captured(2), match.captured(3));
}

bool startsLikeArithmetic(const QString& unit)
{
    static const QString operators = QStringLiteral("+-*/%^().");
    return !unit.isEmpty() && (operators.contains(unit.front()) || unit.front().isDigit());
}

}

std::optional<UnitsQuery> parse(const QString& input)
{
    const QString text = rewriteCurrencySymbol(input.trimmed().toLower());
    std::optional<UnitsQuery> plain = parsePlain(text);
    // The plain reading wins unless it left arithmetic in front of the unit, or found no number.
    if (plain && !startsLikeArithmetic(plain->from))
        return plain;
    if (std::optional<UnitsQuery> computed = parseExpression(text))
        return computed;
    return plain;
}

}

}
