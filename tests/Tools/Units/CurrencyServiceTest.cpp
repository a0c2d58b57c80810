#include "Tools/Units/CurrencyService.h"

#include "Base/Log.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeWebRequests.h"
#include "Platform/Qt/QtWebRequests.h"
#include "support/LocalHttpServer.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace Quickhalo;
using Quickhalo::Testing::LocalHttpServer;
using Quickhalo::Testing::TemporaryFolder;
using Quickhalo::Testing::waitUntil;

namespace {

const QByteArray usdRates = R"({"amount":1.0,"base":"USD","date":"2026-12-10","rates":{"EUR":0.9,"GBP":0.78}})";
const QString primaryPath = QStringLiteral("/v1/latest?base=USD");
const QString fallbackPath = QStringLiteral("/latest?from=USD");

QString dateOf(const CurrencyService::Result& result)
{
    if (const auto* error = std::get_if<QuickhaloError>(&result))
        return QStringLiteral("error: ") + error->message;
    return std::get<CachedRates>(result).date;
}

// A real server on 127.0.0.1 behind both addresses, a fake clock for the timeouts and a wall
// clock the test sets.
class CurrencyServiceTest : public ::testing::Test {
protected:
    QDateTime now = QDateTime(QDate(2026, 12, 11), QTime(9, 0), Qt::UTC);

    std::unique_ptr<CurrencyService> makeService()
    {
        return std::make_unique<CurrencyService>(web, clock, ratesFile(),
            [this] { return CurrencyService::Endpoints { server.root(), server.root() + QStringLiteral("/") }; },
            [this] { return now; });
    }

    QString ratesFile() const { return folder.filePath(QStringLiteral("rates.json")); }

    void writeCache(const QDateTime& fetched, const QString& date)
    {
        folder.write(QStringLiteral("rates.json"),
            CurrencyService::encodeFile({ { QStringLiteral("USD"),
                CachedRates { fetched, date, { { QStringLiteral("GBP"), 0.7 } } } } }));
    }

    CurrencyService::Result ask(CurrencyService& service, const QString& base = QStringLiteral("USD"))
    {
        std::optional<CurrencyService::Result> result;
        const auto ticket = service.rates(base, [&result](const CurrencyService::Result& r) { result = r; });
        EXPECT_TRUE(waitUntil([&] {
            clock.runLater();
            return result.has_value();
        })) << "no answer";
        return result.value_or(QuickhaloError(QStringLiteral("no answer")));
    }

    TemporaryFolder folder;
    LocalHttpServer server;
    FakeClock clock;
    QtWebRequests web;
    Log::Capture log;
};

}

TEST_F(CurrencyServiceTest, ReusesAnAnswerForTwelveHours)
{
    server.set(primaryPath, { 200, usdRates });
    auto service = makeService();
    const CurrencyService::Result first = ask(*service);
    ASSERT_EQ(dateOf(first), QStringLiteral("2026-12-10"));
    EXPECT_EQ(std::get<CachedRates>(first).rates.value(QStringLiteral("GBP")), 0.78);
    EXPECT_EQ(std::get<CachedRates>(first).fetched, now);

    now = now.addSecs(12 * 3600 - 1);
    EXPECT_EQ(ask(*service), first);
    EXPECT_EQ(server.requests(), QStringList { primaryPath }) << "a fresh answer is reused";

    now = now.addSecs(1);
    ask(*service);
    EXPECT_EQ(server.requests(), QStringList({ primaryPath, primaryPath })) << "twelve hours on, it is asked again";
}

TEST_F(CurrencyServiceTest, AnswersFromTheFileWithoutAskingWhileFresh)
{
    writeCache(now.addSecs(-3600), QStringLiteral("from the file"));
    auto service = makeService();
    EXPECT_EQ(dateOf(ask(*service)), QStringLiteral("from the file"));
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(CurrencyServiceTest, AStaleEntryIsAskedAgainAndStillServesWhenBothAddressesFail)
{
    writeCache(now.addSecs(-13 * 3600), QStringLiteral("old"));
    server.set(primaryPath, { 500, usdRates });
    server.set(fallbackPath, { 503, usdRates });
    auto service = makeService();
    EXPECT_EQ(dateOf(ask(*service)), QStringLiteral("old"));
    EXPECT_EQ(server.requests(), QStringList({ primaryPath, fallbackPath }));
}

TEST_F(CurrencyServiceTest, WithNothingCachedAFailureIsReported)
{
    server.set(primaryPath, { 500, {} });
    server.set(fallbackPath, { 404, {} });
    auto service = makeService();
    EXPECT_EQ(dateOf(ask(*service)), QStringLiteral("error: Couldn't fetch exchange rates"));
    EXPECT_FALSE(folder.exists(QStringLiteral("rates.json")));
}

TEST_F(CurrencyServiceTest, OnlyAnObjectWithNumericRatesCounts)
{
    struct Case {
        const char* name;
        int status;
        QByteArray body;
        const char* date; // of the answer taken; "fallback" when the primary's was refused
    };
    const Case cases[] = {
        { "a good answer", 200, usdRates, "2026-12-10" },
        { "no date", 200, R"({"rates":{"GBP":0.78}})", "" },
        { "a date that is no string", 200, R"({"date":20261210,"rates":{"GBP":0.78}})", "" },
        { "the base that was asked for", 200, R"({"base":"USD","rates":{"GBP":0.78}})", "" },
        { "no rates at all", 200, R"({"date":"d","rates":{}})", "fallback" },
        { "rates for another base", 200, R"({"base":"EUR","date":"d","rates":{"GBP":0.85}})", "fallback" },
        { "status 500", 500, usdRates, "fallback" },
        { "a redirect to nowhere", 302, {}, "fallback" },
        { "an empty object", 200, "{}", "fallback" },
        { "a rate that is a string", 200, R"({"date":"d","rates":{"GBP":"0.78"}})", "fallback" },
        { "a rate that is null", 200, R"({"date":"d","rates":{"GBP":null}})", "fallback" },
        { "rates that are a list", 200, R"({"date":"d","rates":[0.78]})", "fallback" },
        { "a list", 200, "[]", "fallback" },
        { "not JSON", 200, "<html>busy</html>", "fallback" },
        { "cut short", 200, R"({"date":"d","rates":{"GBP":0.7)", "fallback" },
        { "an empty body", 200, {}, "fallback" },
    };
    server.set(fallbackPath, { 200, R"({"date":"fallback","rates":{"GBP":0.5}})" });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.set(primaryPath, { c.status, c.body });
        QFile::remove(ratesFile());
        auto service = makeService();
        EXPECT_EQ(dateOf(ask(*service)), QString::fromUtf8(c.date));
    }
}

TEST_F(CurrencyServiceTest, ASilentServerTimesOutAfterSixSecondsThenTheFallbackIsAsked)
{
    server.set(primaryPath, { 200, {}, true });
    server.set(fallbackPath, { 200, R"({"date":"fallback","rates":{"GBP":0.5}})" });
    auto service = makeService();
    std::optional<CurrencyService::Result> result;
    const auto ticket = service->rates(QStringLiteral("USD"), [&result](const auto& r) { result = r; });
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    clock.advance(5.9);
    QTest::qWait(50);
    EXPECT_EQ(server.requests().size(), 1) << "still waiting";
    clock.advance(0.1);
    ASSERT_TRUE(waitUntil([&] {
        clock.runLater();
        return result.has_value();
    }));
    EXPECT_EQ(dateOf(*result), QStringLiteral("fallback"));
    EXPECT_EQ(server.requests(), QStringList({ primaryPath, fallbackPath }));
}

TEST_F(CurrencyServiceTest, WritesTheCacheForTheNextStart)
{
    server.set(primaryPath, { 200, usdRates });
    auto service = makeService();
    const CurrencyService::Result fetched = ask(*service);
    service->waitForWrites();
    const auto decoded = CurrencyService::decodeFile(folder.read(QStringLiteral("rates.json")));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, service->cache());
    EXPECT_EQ(decoded->at(QStringLiteral("USD")), std::get<CachedRates>(fetched));

    service.reset();
    auto again = makeService();
    EXPECT_EQ(ask(*again), fetched);
    EXPECT_EQ(server.requests().size(), 1);
}

// Kept when a fetch is about to replace it: starting offline again and again makes no copies.
TEST_F(CurrencyServiceTest, AnUnreadableFileMeansAnEmptyCacheAndIsKeptAsideBeforeItIsReplaced)
{
    const QByteArray files[] = {
        "not json",
        "[]",
        R"({"USD":[]})",
        R"({"USD":{"date":1,"fetched":"2026-12-11T08:00:00Z","rates":{}}})",
        R"({"USD":{"date":"d","fetched":"yesterday","rates":{}}})",
        R"({"USD":{"date":"d","fetched":"2026-12-11T08:00:00Z","rates":{"GBP":"x"}}})",
        QByteArray(70, '\0'),
    };
    server.set(primaryPath, { 200, usdRates });
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.toStdString());
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(folder.filePath(name));
        folder.write(QStringLiteral("rates.json"), bytes);
        const auto keptFiles = [&] { return QDir(folder.path()).entryList({ QStringLiteral("rates.json.kept-*") }); };
        makeService().reset();
        auto service = makeService();
        EXPECT_TRUE(service->cache().empty());
        EXPECT_TRUE(keptFiles().isEmpty()) << "nothing replaced it yet";

        EXPECT_EQ(dateOf(ask(*service)), QStringLiteral("2026-12-10"));
        service->waitForWrites();
        const QStringList kept = keptFiles();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(folder.read(kept.first()), bytes);
        EXPECT_TRUE(CurrencyService::decodeFile(folder.read(QStringLiteral("rates.json"))));
    }
}

TEST(CurrencyService, FormsItsAddressesOrSkipsThem)
{
    const CurrencyService::Endpoints defaults = CurrencyService::defaultEndpoints();
    const auto urls = CurrencyService::addresses(defaults, QStringLiteral("USD"));
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0], QUrl(QStringLiteral("https://api.frankfurter.dev/v1/latest?base=USD")));
    EXPECT_EQ(urls[1], QUrl(QStringLiteral("https://api.frankfurter.app/latest?from=USD")));

    const std::pair<CurrencyService::Endpoints, const char*> cases[] = {
        { { QStringLiteral("http://127.0.0.1:8080/"), QStringLiteral("ftp://example.org") }, "1 0" },
        { { QStringLiteral("not an address"), QStringLiteral("https://example.org//") }, "0 1" },
        { { QString(), QStringLiteral("file:///etc") }, "0 0" },
    };
    for (const auto& [endpoints, formed] : cases) {
        const auto list = CurrencyService::addresses(endpoints, QStringLiteral("EUR"));
        EXPECT_EQ(QStringLiteral("%1 %2").arg(list[0].has_value()).arg(list[1].has_value()), QString::fromUtf8(formed))
            << endpoints.primary.toStdString() << " " << endpoints.fallback.toStdString();
    }
    EXPECT_EQ(CurrencyService::addresses({ QStringLiteral("https://example.org/"), {} }, QStringLiteral("EUR"))[0],
        QUrl(QStringLiteral("https://example.org/v1/latest?base=EUR")));
    for (const char* base : { "usd", "US", "USD&x=1", "U$D", "" })
        EXPECT_FALSE(CurrencyService::addresses(defaults, QString::fromUtf8(base))[0]) << base;
}

// The bookkeeping around one fetch, with requests answered by hand.
TEST(CurrencyService, OneFetchPerBaseAndACancelledAskHearsNothing)
{
    TemporaryFolder folder;
    FakeClock clock;
    FakeWebRequests web;
    Log::Capture log;
    CurrencyService service(web, clock, folder.filePath(QStringLiteral("rates.json")),
        [] { return CurrencyService::defaultEndpoints(); });
    int firstAnswers = 0;
    int secondAnswers = 0;
    auto first = service.rates(QStringLiteral("USD"), [&](const auto&) { ++firstAnswers; });
    auto second = service.rates(QStringLiteral("USD"), [&](const auto&) { ++secondAnswers; });
    ASSERT_EQ(web.requests.size(), 1) << "the second ask waits for the same fetch";
    first.reset();
    ASSERT_TRUE(web.answer({ {}, 200, usdRates }));
    EXPECT_EQ(secondAnswers, 0) << "answers come on a later turn";
    clock.runLater();
    EXPECT_EQ(firstAnswers, 0);
    EXPECT_EQ(secondAnswers, 1);
    EXPECT_EQ(service.cache().count(QStringLiteral("USD")), 1u) << "a cancelled ask does not stop the fetch";

    // A base that is no code goes nowhere.
    std::optional<CurrencyService::Result> result;
    auto bad = service.rates(QStringLiteral("U$D"), [&](const auto& r) { result = r; });
    clock.runLater();
    EXPECT_EQ(web.requests.size(), 1);
    ASSERT_TRUE(result);
    EXPECT_EQ(dateOf(*result), QStringLiteral("error: Couldn't fetch exchange rates"));
}
