#include "Base/Preferences.h"
#include "support/LocalHttpServer.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

const QByteArray usdRates = R"({"date":"2026-12-10","rates":{"GBP":0.78542}})";

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The real program without a display, its preferences pointing the rate service at a server
// of the test's own, which answers while the program runs.
class UnitsCommandTest : public ::testing::Test {
protected:
    UnitsCommandTest()
    {
        Preferences preferences(home.filePath(QStringLiteral("config/Quickhalo/Quickhalo.conf")));
        preferences.setText(PreferenceKey::ratesPrimaryURL, server.root());
        preferences.setText(PreferenceKey::ratesFallbackURL, server.root());
    }

    CommandRun quickhalo(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUICKHALO_EXECUTABLE), arguments);
        EXPECT_TRUE(waitUntil([&process] { return process.state() == QProcess::NotRunning; }, 60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
    }

    TemporaryFolder home;
    LocalHttpServer server;
};

}

TEST_F(UnitsCommandTest, PrintsTheResultOrWhyThereIsNone)
{
    struct Case {
        const char* name;
        QStringList arguments;
        int exitCode;
        QByteArray out;
        QByteArray err;
    };
    const Case cases[] = {
        { "a conversion", { QStringLiteral("--units"), QStringLiteral("5 km in miles") }, 0, "3.1069 mi\n", "" },
        { "words joined by spaces",
            { QStringLiteral("--units"), QStringLiteral("72"), QStringLiteral("f"), QStringLiteral("to"),
                QStringLiteral("c") },
            0, "22.2222 °C\n", "" },
        { "equals form", { QStringLiteral("--units=(12 + 8) km"), QStringLiteral("in mi") }, 0, "12.4274 mi\n", "" },
        { "a minus is the phrase, not an option", { QStringLiteral("--units"), QStringLiteral("-.5 m as cm") }, 0,
            "-50 cm\n", "" },
        { "units of two kinds", { QStringLiteral("--units"), QStringLiteral("5 kg to m") }, 1, "",
            "quickhalo: can't convert those units\n" },
        { "no separator", { QStringLiteral("--units"), QStringLiteral("5 km") }, 1, "",
            "quickhalo: not a conversion\n" },
        { "no phrase", { QStringLiteral("--units") }, 2, "", "usage: quickhalo --units [--json] PHRASE\n" },
        { "only the option for JSON", { QStringLiteral("--units"), QStringLiteral("--json") }, 2, "",
            "usage: quickhalo --units [--json] PHRASE\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun run = quickhalo(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(UnitsCommandTest, JsonCarriesTheUnroundedValue)
{
    const CommandRun run = quickhalo({ QStringLiteral("--units"), QStringLiteral("--json"), QStringLiteral("5 km in miles") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(run.out).object();
    EXPECT_DOUBLE_EQ(object.value(QStringLiteral("value")).toDouble(), 5000 / 1609.344);
    EXPECT_EQ(object.value(QStringLiteral("unit")).toString(), QStringLiteral("mi"));
    EXPECT_EQ(object.value(QStringLiteral("text")).toString(), QStringLiteral("3.1069 mi"));
    EXPECT_FALSE(object.contains(QStringLiteral("rateDate")));
}

TEST_F(UnitsCommandTest, CurrenciesUseTheServiceAndItsCacheFile)
{
    server.set(QStringLiteral("/v1/latest?base=USD"), { 200, usdRates });
    CommandRun run = quickhalo({ QStringLiteral("--units"), QStringLiteral("$10 to gbp") });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "7.8542 GBP\n");
    EXPECT_TRUE(home.exists(QStringLiteral("data/Quickhalo/rates.json")));

    // Fresh in the file: the second run asks no one, even though the service now fails.
    server.set(QStringLiteral("/v1/latest?base=USD"), { 500, {} });
    run = quickhalo({ QStringLiteral("--units"), QStringLiteral("--json"), QStringLiteral("10 usd to gbp") });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(run.out).object();
    EXPECT_DOUBLE_EQ(object.value(QStringLiteral("value")).toDouble(), 7.8542);
    EXPECT_EQ(object.value(QStringLiteral("unit")).toString(), QStringLiteral("GBP"));
    EXPECT_EQ(object.value(QStringLiteral("rateDate")).toString(), QStringLiteral("2026-12-10"));
    EXPECT_EQ(server.requests(), QStringList { QStringLiteral("/v1/latest?base=USD") });

    server.set(QStringLiteral("/v1/latest?base=EUR"), { 500, {} });
    server.set(QStringLiteral("/latest?from=EUR"), { 200, "{}" });
    run = quickhalo({ QStringLiteral("--units"), QStringLiteral("10 eur to gbp") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "quickhalo: couldn't fetch exchange rates\n");
    EXPECT_EQ(server.requests().size(), 3);
}

TEST_F(UnitsCommandTest, IsListedInTheHelp)
{
    const CommandRun run = quickhalo({ QStringLiteral("--help") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("--units <phrase>")) << run.out.toStdString();
}
