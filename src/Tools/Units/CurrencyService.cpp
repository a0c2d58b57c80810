#include "Tools/Units/CurrencyService.h"

#include "Base/JsonFile.h"
#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Base/UserFile.h"
#include "Platform/Clock.h"
#include "Platform/WebRequests.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Quickhalo {

struct CurrencyService::Waiter {
    Reply reply;
};

struct CurrencyService::Fetch {
    std::vector<std::optional<QUrl>> addresses;
    std::unique_ptr<WebRequest> request;
    std::unique_ptr<RepeatingTimer> timeout;
    std::vector<std::weak_ptr<Waiter>> waiters;
};

class CurrencyService::WaiterTicket final : public Ticket {
public:
    explicit WaiterTicket(std::shared_ptr<Waiter> waiter)
        : m_waiter(std::move(waiter))
    {
    }

private:
    std::shared_ptr<Waiter> m_waiter;
};

namespace {

bool isCurrencyCode(const QString& code)
{
    if (code.size() != 3)
        return false;
    for (const QChar c : code) {
        if (c < u'A' || c > u'Z')
            return false;
    }
    return true;
}

std::optional<QUrl> address(const QString& base, const QString& pathAndQuery)
{
    QString root = base.trimmed();
    while (root.endsWith(u'/'))
        root.chop(1);
    const QUrl url(root + pathAndQuery, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return std::nullopt;
    return url;
}

std::optional<QHash<QString, double>> ratesOf(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    QHash<QString, double> rates;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // A double that overflowed reads back as infinity; no rate is worth keeping then.
        if (!it.value().isDouble() || !std::isfinite(it.value().toDouble()))
            return std::nullopt;
        rates.insert(it.key(), it.value().toDouble());
    }
    return rates;
}

QJsonObject toJson(const std::map<QString, CachedRates>& cache)
{
    QJsonObject file;
    for (const auto& [base, entry] : cache) {
        QJsonObject rates;
        for (auto it = entry.rates.begin(); it != entry.rates.end(); ++it)
            rates.insert(it.key(), it.value());
        file.insert(base,
            QJsonObject { { QStringLiteral("date"), entry.date },
                { QStringLiteral("fetched"), entry.fetched.toUTC().toString(Qt::ISODate) },
                { QStringLiteral("rates"), rates } });
    }
    return file;
}

}

std::optional<double> CachedRates::rate(const QString& base, const QString& target) const
{
    if (const auto found = rates.constFind(target); found != rates.constEnd())
        return found.value();
    if (target == base)
        return 1.0;
    return std::nullopt;
}

CurrencyService::Endpoints CurrencyService::defaultEndpoints()
{
    return { QStringLiteral("https://api.frankfurter.dev"), QStringLiteral("https://api.frankfurter.app") };
}

CurrencyService::Endpoints CurrencyService::endpointsFrom(const Preferences& preferences)
{
    const Endpoints defaults = defaultEndpoints();
    const auto set = [&preferences](const QString& key, const QString& fallback) {
        const std::optional<QString> value = preferences.text(key);
        return value && !value->trimmed().isEmpty() ? *value : fallback;
    };
    return { set(PreferenceKey::ratesPrimaryURL, defaults.primary),
        set(PreferenceKey::ratesFallbackURL, defaults.fallback) };
}

CurrencyService::CurrencyService(WebRequests& web, Clock& clock, QString filePath,
    std::function<Endpoints()> endpoints, std::function<QDateTime()> wallClock)
    : m_web(web)
    , m_clock(clock)
    , m_filePath(std::move(filePath))
    , m_endpoints(std::move(endpoints))
    , m_wallClock(std::move(wallClock))
    , m_writer(m_filePath, m_wallClock)
{
    load();
}

CurrencyService::~CurrencyService()
{
    m_fetches.clear();
    waitForWrites();
}

void CurrencyService::waitForWrites()
{
    m_writer.waitForWrites();
}

std::vector<std::optional<QUrl>> CurrencyService::addresses(const Endpoints& endpoints, const QString& base)
{
    if (!isCurrencyCode(base))
        return { std::nullopt, std::nullopt };
    return { address(endpoints.primary, QStringLiteral("/v1/latest?base=") + base),
        address(endpoints.fallback, QStringLiteral("/latest?from=") + base) };
}

std::optional<std::pair<QString, QHash<QString, double>>> CurrencyService::parseBody(
    const QByteArray& body, const QString& base)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    std::optional<QHash<QString, double>> rates = ratesOf(object.value(QStringLiteral("rates")));
    // No rates at all would replace a useful entry with a useless one for twelve hours, and rates
    // for another base (a mirror that ignores the query) would give wrong amounts.
    const QJsonValue answeredBase = object.value(QStringLiteral("base"));
    if (!rates || rates->isEmpty() || (!base.isEmpty() && answeredBase.isString() && answeredBase.toString() != base))
        return std::nullopt;
    const QJsonValue date = object.value(QStringLiteral("date"));
    return std::pair { date.isString() ? date.toString() : QString(), std::move(*rates) };
}

std::optional<std::map<QString, CachedRates>> CurrencyService::decodeFile(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    std::map<QString, CachedRates> cache;
    const QJsonObject file = document.object();
    for (auto it = file.begin(); it != file.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        const QJsonValue date = entry.value(QStringLiteral("date"));
        const QDateTime fetched
            = QDateTime::fromString(entry.value(QStringLiteral("fetched")).toString(), Qt::ISODate);
        std::optional<QHash<QString, double>> rates = ratesOf(entry.value(QStringLiteral("rates")));
        if (!it.value().isObject() || !date.isString() || !fetched.isValid() || !rates)
            return std::nullopt;
        cache[it.key()] = CachedRates { fetched, date.toString(), std::move(*rates) };
    }
    return cache;
}

QByteArray CurrencyService::encodeFile(const std::map<QString, CachedRates>& cache)
{
    return JsonFile::encode(toJson(cache));
}

void CurrencyService::load()
{
    const UserFile::ReadResult file = UserFile::read(m_filePath, largestFile);
    if (file.status == UserFile::ReadResult::Status::missing)
        return;
    std::optional<std::map<QString, CachedRates>> cache;
    if (file.isOk())
        cache = decodeFile(file.bytes);
    if (cache) {
        m_cache = std::move(*cache);
        return;
    }
    // Kept aside only when a fetch is about to replace it, so that starting offline again and
    // again does not pile up copies.
    m_writer.keepBeforeReplacing();
    Log::write(QStringLiteral("%1 could not be read (%2); starting without cached rates")
                   .arg(QFileInfo(m_filePath).fileName(), file.isOk() ? QStringLiteral("not rates") : file.reason));
}

std::unique_ptr<CurrencyService::Ticket> CurrencyService::rates(const QString& base, Reply reply)
{
    auto waiter = std::make_shared<Waiter>(Waiter { std::move(reply) });
    auto ticket = std::make_unique<WaiterTicket>(waiter);
    if (const auto cached = m_cache.find(base); cached != m_cache.end()) {
        // A date ahead of now means the clock was set back: not fresh, or it would stay for good.
        const double age = static_cast<double>(cached->second.fetched.msecsTo(m_wallClock())) / 1000.0;
        if (age >= 0 && age < freshSeconds) {
            answer(waiter, cached->second);
            return ticket;
        }
    }
    // Whoever asks while a fetch for the base is under way waits for the same answer.
    if (const auto running = m_fetches.find(base); running != m_fetches.end()) {
        running->second->waiters.push_back(waiter);
        return ticket;
    }
    auto fetch = std::make_unique<Fetch>();
    fetch->addresses = addresses(m_endpoints ? m_endpoints() : defaultEndpoints(), base);
    fetch->waiters.push_back(waiter);
    m_fetches[base] = std::move(fetch);
    tryAddress(base, 0);
    return ticket;
}

void CurrencyService::tryAddress(const QString& base, std::size_t index)
{
    Fetch& fetch = *m_fetches.at(base);
    while (index < fetch.addresses.size() && !fetch.addresses[index])
        ++index;
    if (index >= fetch.addresses.size()) {
        finish(base, std::nullopt);
        return;
    }
    const QUrl url = *fetch.addresses[index];
    const auto next = [this, base, index, url](const QString& reason) {
        Log::write(QStringLiteral("exchange rates from %1: %2").arg(url.host(), reason));
        tryAddress(base, index + 1);
    };
    fetch.timeout.reset();
    fetch.request = m_web.get(url, largestAnswer, [this, base, next](const WebRequests::Response& response) {
        if (!response.failure.isEmpty())
            return next(response.failure);
        if (response.status != 200)
            return next(QStringLiteral("status %1").arg(response.status));
        std::optional<std::pair<QString, QHash<QString, double>>> parsed = parseBody(response.body, base);
        if (!parsed)
            return next(QStringLiteral("no usable rates in the answer"));
        finish(base, CachedRates { m_wallClock(), parsed->first, std::move(parsed->second) });
    });
    fetch.timeout = m_clock.startRepeating(timeoutSeconds, [this, base, next] {
        m_fetches.at(base)->request.reset();
        next(QStringLiteral("no answer within %1 seconds").arg(timeoutSeconds));
    });
}

void CurrencyService::finish(const QString& base, std::optional<CachedRates> fresh)
{
    // Ends the request and its timer after the answers are on their way, whichever of them called.
    const std::unique_ptr<Fetch> fetch = std::move(m_fetches.at(base));
    m_fetches.erase(base);
    Result result = QuickhaloError(failureMessage);
    if (fresh) {
        m_cache[base] = *fresh;
        m_writer.save(toJson(m_cache));
        result = std::move(*fresh);
    } else if (const auto cached = m_cache.find(base); cached != m_cache.end()) {
        Log::write(QStringLiteral("using the exchange rates for %1 fetched %2")
                       .arg(base, cached->second.fetched.toUTC().toString(Qt::ISODate)));
        result = cached->second;
    }
    for (const std::weak_ptr<Waiter>& waiter : fetch->waiters)
        answer(waiter, result);
}

void CurrencyService::answer(const std::weak_ptr<Waiter>& waiter, Result result)
{
    m_clock.later([waiter, result = std::move(result)] {
        if (const std::shared_ptr<Waiter> alive = waiter.lock())
            alive->reply(result);
    });
}

}
