#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "Base/JsonFileWriter.h"
#include "Base/QuickhaloError.h"
#include "Base/SharedInstance.h"

namespace Quickhalo {

class Clock;
class Preferences;
class RepeatingTimer;
class WebRequest;
class WebRequests;

// One answer for one base currency: units of each other currency per unit of the base.
struct CachedRates {
    QDateTime fetched;
    QString date; // as the service published it; "" when it said nothing
    QHash<QString, double> rates;
    bool operator==(const CachedRates&) const = default;

    // Units of `target` per unit of `base`, these rates' base: 1 for the base itself, which the
    // service leaves out; nothing for a currency it does not list.
    std::optional<double> rate(const QString& base, const QString& target) const;
};

// Exchange rates from the Frankfurter service (its second address as a fallback), kept for
// 12 hours in memory and in "rates.json". When neither address answers, the last answer for the
// base, however old, still serves. The cache lives on the main thread; only the requests and the
// file write wait elsewhere.
class CurrencyService final : public Shared<CurrencyService> {
public:
    static constexpr double freshSeconds = 12 * 60 * 60;
    static constexpr double timeoutSeconds = 6;
    static constexpr qint64 largestAnswer = 1024 * 1024;
    static constexpr qint64 largestFile = 4 * 1024 * 1024;
    static inline const QString fileName = QStringLiteral("rates.json");
    static inline const QString failureMessage = QStringLiteral("Couldn't fetch exchange rates");

    struct Endpoints {
        QString primary;  // asked "/v1/latest?base=CODE"
        QString fallback; // asked "/latest?from=CODE"
    };
    static Endpoints defaultEndpoints();
    // The addresses the user set, else the defaults; read at every fetch.
    static Endpoints endpointsFrom(const Preferences& preferences);

    using Result = std::variant<CachedRates, QuickhaloError>;
    using Reply = std::function<void(const Result&)>;

    // Destroying it cancels the reply; a fetch under way still fills the cache.
    class Ticket {
    public:
        virtual ~Ticket() = default;
    };

    CurrencyService(WebRequests& web, Clock& clock, QString filePath, std::function<Endpoints()> endpoints,
        std::function<QDateTime()> wallClock = &QDateTime::currentDateTimeUtc);
    ~CurrencyService();

    // Answers on a later turn of the main loop, never during the call. `base` is an upper-case code.
    std::unique_ptr<Ticket> rates(const QString& base, Reply reply);

    const std::map<QString, CachedRates>& cache() const { return m_cache; }
    // Blocks until "rates.json" holds everything fetched so far.
    void waitForWrites();

    // The two request addresses for `base`; nothing for an address that cannot be formed.
    static std::vector<std::optional<QUrl>> addresses(const Endpoints& endpoints, const QString& base);
    // The date and rates of a service's answer, or nothing when it has no usable "rates" or says
    // they are for another base than `base` (when given).
    static std::optional<std::pair<QString, QHash<QString, double>>> parseBody(
        const QByteArray& body, const QString& base = {});
    // "rates.json" in and out; nothing for a file that is not that.
    static std::optional<std::map<QString, CachedRates>> decodeFile(const QByteArray& bytes);
    static QByteArray encodeFile(const std::map<QString, CachedRates>& cache);

private:
    struct Waiter;
    struct Fetch;
    class WaiterTicket;

    void load();
    void tryAddress(const QString& base, std::size_t index);
    void finish(const QString& base, std::optional<CachedRates> fresh);
    void answer(const std::weak_ptr<Waiter>& waiter, Result result);

    WebRequests& m_web;
    Clock& m_clock;
    QString m_filePath;
    std::function<Endpoints()> m_endpoints;
    std::function<QDateTime()> m_wallClock;
    std::map<QString, CachedRates> m_cache;
    std::map<QString, std::unique_ptr<Fetch>> m_fetches;
    // Last, so that it is the first to go: the saves under way finish before the rest ends.
    JsonFileWriter m_writer;
};

}
