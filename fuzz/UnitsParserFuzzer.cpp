#include "Tools/Units/Units.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QRegularExpression>
#include <QString>

namespace {
bool isTrimmedToken(const QString& token)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    return !token.isEmpty() && !blank(token.front()) && !blank(token.back());
}
}

// Any bytes: a query has a finite value and two trimmed tokens; a conversion is finite and shows
// as a plain decimal with at most four places, never "-0"; a currency code is three capitals.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    static const QRegularExpression shown(QStringLiteral(R"(^-?\d+(\.\d{0,3}[1-9])?$)"));
    static const QRegularExpression code(QStringLiteral("^[A-Z]{3}$"));
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<UnitsQuery> query = UnitsParser::parse(input);
    if (!query)
        return 0;
    if (!std::isfinite(query->value) || !isTrimmedToken(query->from) || !isTrimmedToken(query->to))
        std::abort();
    if (const std::optional<Units::Conversion> conversion = Units::convert(*query)) {
        const QString text = Units::format(conversion->value);
        if (!std::isfinite(conversion->value) || !shown.match(text).hasMatch() || text == QLatin1String("-0"))
            std::abort();
    }
    for (const QString& token : { query->from, query->to }) {
        if (const std::optional<QString> currency = Units::currencyCode(token); currency && !code.match(*currency).hasMatch())
            std::abort();
    }
    return 0;
}
