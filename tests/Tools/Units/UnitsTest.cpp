#include "Tools/Units/Units.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <limits>

using namespace Quickhalo;

namespace {

std::string describe(const std::optional<UnitsQuery>& query)
{
    if (!query)
        return "nothing";
    return std::to_string(query->value) + " [" + query->from.toStdString() + "] → [" + query->to.toStdString() + "]";
}

// What the tool shows for a physical conversion, or "" for none.
QString shown(const QString& phrase)
{
    const std::optional<UnitsQuery> query = UnitsParser::parse(phrase);
    const std::optional<Units::Conversion> conversion = query ? Units::convert(*query) : std::nullopt;
    return conversion ? Units::format(conversion->value) + u' ' + conversion->unitLabel : QString();
}

}

TEST(UnitsParser, ReadsTheNumberAndBothUnits)
{
    struct Case {
        const char* input;
        std::optional<UnitsQuery> expected;
    };
    const auto q = [](double value, const char* from, const char* to) {
        return std::optional(UnitsQuery { value, QString::fromUtf8(from), QString::fromUtf8(to) });
    };
    const QString huge = QStringLiteral("1") + QString(400, u'0') + QStringLiteral(" m to km");
    const Case cases[] = {
        { "5 km in miles", q(5, "km", "miles") },
        { "  5 KM In Miles \n", q(5, "km", "miles") },
        { "2 fl oz to ml", q(2, "fl oz", "ml") },         // the shortest unit before the first separator
        { "5 in in cm", q(5, "in", "cm") },               // "in" is both a unit and a separator
        { "1 uk gal as l", q(1, "uk gal", "l") },
        { "100 c → f", q(100, "c", "f") },
        { "100c→f", q(100, "c", "f") },
        { "5\tkm\tto\tmi", q(5, "km", "mi") },
        { "1,000.5 m to km", q(1000.5, "m", "km") },
        { "5,5 km to m", q(55, "km", "m") },              // every comma goes, also a decimal one
        { "-.5 m as cm", q(-0.5, "m", "cm") },
        { "5. m to cm", q(5, "m", "cm") },
        { "5 5 km to m", q(5, "5 km", "m") },             // no arithmetic there: the plain reading
        { "$10 to gbp", q(10, "$", "gbp") },              // the symbol moves behind the amount
        { "€ 5,5 in usd", q(55, "€", "usd") },
        { "10 USD to GBP", q(10, "usd", "gbp") },
        { "10 usd → gbp", q(10, "usd", "gbp") },
        { "(12 + 8) km in mi", q(20, "km", "mi") },       // arithmetic in front
        { "3*1.5 cup to ml", q(4.5, "cup", "ml") },
        { "2^10 b in kib", q(1024, "b", "kib") },
        { "-(2 + 3) m to cm", q(-5, "m", "cm") },
        { "10 % 4 kg to g", q(2, "kg", "g") },
        { "5 km", std::nullopt },
        { "km to miles", std::nullopt },
        { "5 to km", std::nullopt },
        { "5 km to ", std::nullopt },
        { "", std::nullopt },
        { "→", std::nullopt },
        { "(1 + ) km to m", std::nullopt },
        { "to to to", std::nullopt },
    };
    for (const Case& c : cases) {
        const std::optional<UnitsQuery> parsed = UnitsParser::parse(QString::fromUtf8(c.input));
        EXPECT_EQ(describe(parsed), describe(c.expected)) << c.input;
    }
    EXPECT_FALSE(UnitsParser::parse(huge)) << "a number too large for a double is no number";
}

TEST(Units, ConvertsWithinADimensionOnly)
{
    struct Case {
        const char* phrase;
        const char* shown; // "" for no conversion
    };
    const Case cases[] = {
        { "5 km in miles", "3.1069 mi" },
        { "72 f to c", "22.2222 °C" },
        { "100 c → f", "212 °F" },
        { "0 k to c", "-273.15 °C" },
        { "32 °f in k", "273.15 K" },
        { "-40 celsius to fahrenheit", "-40 °F" },
        { "1 kb to b", "1000 B" },
        { "1 kib to b", "1024 B" },
        { "1 gib to mib", "1024 MiB" },
        { "8 bits to byte", "1 B" },
        { "2 days in hours", "48 h" },
        { "1 week to days", "7 d" },
        { "90 min to h", "1.5 h" },
        { "-.5 m as cm", "-50 cm" },
        { "12 \" to ft", "1 ft" },
        { "1 stone to lb", "14 lb" },
        { "1 lb to oz", "16 oz" },
        { "1 cup to fl oz", "8 fl oz" },
        { "1 tbsp to tsp", "3 tsp" },
        { "1 gal to pints", "8 pt" },
        { "1 imperial gallon to uk pints", "8 imp pt" },
        { "1 uk pt to uk fl oz", "20 imp fl oz" },
        { "1 uk gal to gal", "1.2009 gal" },
        { "1 acre to sqft", "43560 ft²" },
        { "1 km2 to ha", "100 ha" },
        { "1 mph to kmh", "1.6093 km/h" },
        { "1 knot to m/s", "0.5144 m/s" },
        { "(12 + 8) km in mi", "12.4274 mi" },
        { "2^10 b in kib", "1 KiB" },
        { "5 kg to m", "" },
        { "5 cup to usd", "" },
        { "5 parsecs to m", "" },
        { "1 b to bit", "8 bit" }, // "b" is a byte
        { "300 k to c", "26.85 °C" }, // "k" is kelvin
    };
    for (const Case& c : cases)
        EXPECT_EQ(shown(QString::fromUtf8(c.phrase)), QString::fromUtf8(c.shown)) << c.phrase;

    const UnitsQuery overflow { std::numeric_limits<double>::max(), QStringLiteral("km"), QStringLiteral("mm") };
    EXPECT_FALSE(Units::convert(overflow)) << "an infinite result is no result";
}

TEST(Units, FormatsWithAtMostFourDecimals)
{
    const std::pair<double, const char*> cases[] = {
        { 3.10686, "3.1069" }, { 1000, "1000" }, { 100, "100" }, { 0.00001, "0" }, { -0.00001, "0" }, { -0.0, "0" },
        { 2.5, "2.5" }, { -50, "-50" }, { 1.23456789, "1.2346" }, { 1e20, "100000000000000000000" },
        { 22.22222222, "22.2222" }, { 0.12, "0.12" },
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(Units::format(value), QString::fromUtf8(text)) << value;
}

TEST(Units, KnowsCurrencyCodesButNotUnitsThatLookLikeThem)
{
    const std::pair<const char*, const char*> cases[] = {
        { "$", "USD" }, { "£", "GBP" }, { "€", "EUR" }, { "¥", "JPY" }, { "usd", "USD" }, { "gBp", "GBP" },
        { "cup", "" }, { "gal", "" }, { "min", "" }, { "kmh", "" }, { "mph", "" }, { "lbs", "" }, { "day", "" },
        { "kib", "" }, { "us", "" }, { "usdx", "" }, { "u5d", "" }, { "ééé", "" }, { "€€", "" }, { "", "" },
    };
    for (const auto& [token, code] : cases)
        EXPECT_EQ(Units::currencyCode(QString::fromUtf8(token)).value_or(QString()), QString::fromUtf8(code)) << token;
}

TEST(Units, EveryAliasNamesOneUnit)
{
    struct Unit {
        const char* name;
        const char* label;
        std::vector<const char*> aliases;
    };
    const std::vector<Unit> expected {
        { "millimeters", "mm", { "mm", "millimeter", "millimeters", "millimetre", "millimetres" } },
        { "centimeters", "cm", { "cm", "centimeter", "centimeters", "centimetre", "centimetres" } },
        { "meters", "m", { "m", "meter", "meters", "metre", "metres" } },
        { "kilometers", "km", { "km", "kilometer", "kilometers", "kilometre", "kilometres" } },
        { "inches", "in", { "in", "inch", "inches", "\"" } },
        { "feet", "ft", { "ft", "foot", "feet" } },
        { "yards", "yd", { "yd", "yard", "yards" } },
        { "miles", "mi", { "mi", "mile", "miles" } },
        { "grams", "g", { "g", "gram", "grams" } },
        { "kilograms", "kg", { "kg", "kilo", "kilos", "kilogram", "kilograms" } },
        { "ounces", "oz", { "oz", "ounce", "ounces" } },
        { "poundsMass", "lb", { "lb", "lbs", "pound", "pounds" } },
        { "stones", "st", { "st", "stone" } },
        { "celsius", "°C", { "c", "°c", "celsius" } },
        { "fahrenheit", "°F", { "f", "°f", "fahrenheit" } },
        { "kelvin", "K", { "k", "kelvin" } },
        { "milliliters", "ml", { "ml", "millilitre", "millilitres", "milliliter", "milliliters" } },
        { "liters", "l", { "l", "litre", "litres", "liter", "liters" } },
        { "teaspoons", "tsp", { "tsp", "teaspoon", "teaspoons" } },
        { "tablespoons", "tbsp", { "tbsp", "tablespoon", "tablespoons" } },
        { "cups", "cup", { "cup", "cups" } },
        { "fluidOunces", "fl oz", { "floz", "fl oz", "fluid ounce", "fluid ounces" } },
        { "pints", "pt", { "pt", "pint", "pints" } },
        { "gallons", "gal", { "gal", "gallon", "gallons" } },
        { "imperialGallons", "imp gal",
            { "uk gal", "uk gallon", "uk gallons", "imperial gal", "imperial gallon", "imperial gallons" } },
        { "imperialPints", "imp pt",
            { "uk pt", "uk pint", "uk pints", "imperial pt", "imperial pint", "imperial pints" } },
        { "imperialFluidOunces", "imp fl oz", { "uk floz", "uk fl oz", "imperial floz", "imperial fl oz" } },
        { "kilometersPerHour", "km/h", { "kph", "kmh", "km/h", "kmph" } },
        { "milesPerHour", "mph", { "mph", "mi/h" } },
        { "metersPerSecond", "m/s", { "m/s", "mps" } },
        { "knots", "kn", { "kn", "knot", "knots" } },
        { "squareMeters", "m²", { "m2", "m²", "sqm" } },
        { "squareKilometers", "km²", { "km2", "km²" } },
        { "squareFeet", "ft²", { "ft2", "ft²", "sqft" } },
        { "acres", "acre", { "acre", "acres" } },
        { "hectares", "ha", { "hectare", "hectares", "ha" } },
        { "bytes", "B", { "b", "byte", "bytes" } },
        { "bits", "bit", { "bit", "bits" } },
        { "kilobytes", "KB", { "kb" } },
        { "megabytes", "MB", { "mb" } },
        { "gigabytes", "GB", { "gb" } },
        { "terabytes", "TB", { "tb" } },
        { "kibibytes", "KiB", { "kib" } },
        { "mebibytes", "MiB", { "mib" } },
        { "gibibytes", "GiB", { "gib" } },
        { "seconds", "s", { "s", "sec", "secs", "second", "seconds" } },
        { "minutes", "min", { "min", "mins", "minute", "minutes" } },
        { "hours", "h", { "h", "hr", "hrs", "hour", "hours" } },
        { "days", "d", { "d", "day", "days" } },
        { "weeks", "wk", { "wk", "week", "weeks" } },
    };
    std::size_t aliases = 0;
    for (const Unit& unit : expected) {
        for (const char* alias : unit.aliases) {
            ++aliases;
            const QString key = QString::fromUtf8(alias);
            const auto found = Units::table().find(key);
            ASSERT_NE(found, Units::table().end()) << alias;
            EXPECT_EQ(found->second->unit, QString::fromUtf8(unit.name)) << alias;
            EXPECT_EQ(found->second->label, QString::fromUtf8(unit.label)) << alias;
            EXPECT_EQ(key, key.toLower()) << alias;
        }
    }
    EXPECT_EQ(Units::table().size(), aliases) << "an alias the list above does not know, or one that is shared";
    EXPECT_EQ(Units::definitions().size(), expected.size());
}

// The reference for the coefficients is GNU units itself, where it is installed.
TEST(Units, AgreesWithGnuUnits)
{
    const QString units = QStandardPaths::findExecutable(QStringLiteral("units"));
    if (units.isEmpty())
        GTEST_SKIP() << "GNU units is not installed";
    const auto reference = [&units](const QString& have, const QString& want) {
        QProcess process;
        process.start(units, { QStringLiteral("-t"), QStringLiteral("-d"), QStringLiteral("15"), have, want });
        EXPECT_TRUE(process.waitForFinished(10000));
        bool ok = false;
        const double value = QString::fromUtf8(process.readAllStandardOutput()).trimmed().toDouble(&ok);
        EXPECT_TRUE(ok) << have.toStdString() << " in " << want.toStdString();
        return value;
    };
    struct Case {
        const char* ours;  // a phrase of ours
        const char* have;  // the same for GNU units
        const char* want;
    };
    const Case cases[] = {
        { "1 mm to m", "mm", "m" }, { "1 cm to m", "cm", "m" }, { "1 km to m", "km", "m" },
        { "1 in to m", "inch", "m" }, { "1 ft to m", "ft", "m" }, { "1 yd to m", "yard", "m" },
        { "1 mi to m", "mile", "m" }, { "1 g to kg", "g", "kg" }, { "1 oz to kg", "oz", "kg" },
        { "1 lb to kg", "lb", "kg" }, { "1 st to kg", "stone", "kg" }, { "1 ml to l", "ml", "l" },
        { "1 tsp to l", "usteaspoon", "l" }, { "1 tbsp to l", "ustablespoon", "l" }, { "1 cup to l", "uscup", "l" },
        { "1 floz to l", "usfloz", "l" }, { "1 pt to l", "uspint", "l" }, { "1 gal to l", "usgallon", "l" },
        { "1 uk gal to l", "brgallon", "l" }, { "1 uk pt to l", "brpint", "l" }, { "1 uk floz to l", "brfloz", "l" },
        { "1 kph to m/s", "km/hr", "m/s" }, { "1 mph to m/s", "mph", "m/s" }, { "1 kn to m/s", "knot", "m/s" },
        { "1 km2 to m2", "km^2", "m^2" }, { "1 ft2 to m2", "ft^2", "m^2" }, { "1 acre to m2", "acre", "m^2" },
        { "1 ha to m2", "hectare", "m^2" }, { "1 bit to b", "bit", "byte" }, { "1 kb to b", "kilobyte", "byte" },
        { "1 mb to b", "megabyte", "byte" }, { "1 gb to b", "gigabyte", "byte" }, { "1 tb to b", "terabyte", "byte" },
        { "1 kib to b", "kibibyte", "byte" }, { "1 mib to b", "mebibyte", "byte" }, { "1 gib to b", "gibibyte", "byte" },
        { "1 min to s", "min", "s" }, { "1 h to s", "hr", "s" }, { "1 d to s", "day", "s" }, { "1 wk to s", "week", "s" },
        { "72 f to k", "tempF(72)", "K" }, { "-40 f to k", "tempF(-40)", "K" }, { "100 c to k", "tempC(100)", "K" },
        { "-273.15 c to f", "tempC(-273.15)", "tempF" },
    };
    for (const Case& c : cases) {
        const std::optional<UnitsQuery> query = UnitsParser::parse(QString::fromUtf8(c.ours));
        ASSERT_TRUE(query) << c.ours;
        const std::optional<Units::Conversion> ours = Units::convert(*query);
        ASSERT_TRUE(ours) << c.ours;
        const double theirs = reference(QString::fromUtf8(c.have), QString::fromUtf8(c.want));
        EXPECT_NEAR(ours->value, theirs, 1e-12 * std::max(1.0, std::abs(theirs))) << c.ours;
    }
}
