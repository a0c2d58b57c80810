#include "App/UnitsCommand.h"

#include "Tools/Units/Units.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Quickhalo::UnitsCommand {

namespace {

Outcome failure(const QString& reason)
{
    return { noResult, {}, reason };
}

Outcome success(bool json, double value, const QString& unit, const QString& rateDate = {}, bool currency = false)
{
    const QString text = Units::format(value) + u' ' + unit;
    if (!json)
        return { converted, text, {} };
    QJsonObject object { { QStringLiteral("value"), value }, { QStringLiteral("unit"), unit },
        { QStringLiteral("text"), text } };
    if (currency)
        object.insert(QStringLiteral("rateDate"), rateDate);
    return { converted, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)), {} };
}

}

std::unique_ptr<CurrencyService::Ticket> start(const QStringList& words,
    const std::function<CurrencyService&()>& currencies, std::function<void(const Outcome&)> done)
{
    QStringList phrase = words;
    const bool json = !phrase.isEmpty() && phrase.front() == QLatin1String("--json");
    if (json)
        phrase.removeFirst();
    if (phrase.join(QString()).trimmed().isEmpty()) {
        done({ usage, {}, QStringLiteral("usage: quickhalo --units [--json] PHRASE") });
        return nullptr;
    }
    const std::optional<UnitsQuery> query = UnitsParser::parse(phrase.join(u' '));
    if (!query) {
        done(failure(QStringLiteral("not a conversion")));
        return nullptr;
    }
    if (const std::optional<Units::Conversion> conversion = Units::convert(*query)) {
        done(success(json, conversion->value, conversion->unitLabel));
        return nullptr;
    }
    const std::optional<QString> base = Units::currencyCode(query->from);
    const std::optional<QString> target = Units::currencyCode(query->to);
    if (!base || !target) {
        done(failure(QStringLiteral("can't convert those units")));
        return nullptr;
    }
    return currencies().rates(*base,
        [json, base = *base, target = *target, amount = query->value, done](const CurrencyService::Result& answer) {
            const auto* rates = std::get_if<CachedRates>(&answer);
            if (!rates)
                return done(failure(QStringLiteral("couldn't fetch exchange rates")));
            const std::optional<double> rate = rates->rate(base, target);
            if (!rate)
                return done(failure(QStringLiteral("no rate from %1 to %2").arg(base, target)));
            if (!std::isfinite(amount * *rate))
                return done(failure(QStringLiteral("the result is too large")));
            done(success(json, amount * *rate, target, rates->date, true));
        });
}

}
