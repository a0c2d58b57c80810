#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace {

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The real program, without a display, in the time zone `tz`.
CommandRun parseReminder(const QStringList& arguments, const char* tz = "Europe/Berlin")
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("TZ"), QString::fromLatin1(tz));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUICKHALO_EXECUTABLE), QStringList { QStringLiteral("--parse-reminder") } + arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
        process.readAllStandardError() };
}

}

TEST(ReminderCommand, PrintsTheReminderAsOneJsonObject)
{
    const struct {
        QStringList arguments;
        const char* tz;
        const char* json;
    } cases[] = {
        { { QStringLiteral("--now"), QStringLiteral("2026-12-10T10:00"), QStringLiteral("call"), QStringLiteral("mum"),
              QStringLiteral("tomorrow"), QStringLiteral("6pm") },
            "Europe/Berlin",
            R"({"due":"2026-12-11T18:00","hasTime":true,"match":{"index":9,"length":12,"text":"tomorrow 6pm"},"title":"call mum"})" },
        { { QStringLiteral("--now=2026-12-10T10:00"), QStringLiteral("  buy milk ") }, "Europe/Berlin",
            R"({"due":null,"hasTime":false,"match":null,"title":"buy milk"})" },
        { { QStringLiteral("--now"), QStringLiteral("2026-12-10T10:00"), QStringLiteral("pay rent friday") }, "Europe/Berlin",
            R"({"due":"2026-12-11T12:00","hasTime":false,"match":{"index":9,"length":6,"text":"friday"},"title":"pay rent"})" },
        // Code points, not UTF-16 units: the cake is one.
        { { QStringLiteral("--now"), QStringLiteral("2026-12-10T10:00"), QStringLiteral("\U0001F382 party 8pm") }, "Europe/Berlin",
            R"({"due":"2026-12-10T20:00","hasTime":true,"match":{"index":8,"length":3,"text":"8pm"},"title":"🎂 party"})" },
        // A moment with an offset is read on the local clock: 09:00 UTC is 04:00 in New York.
        { { QStringLiteral("--now"), QStringLiteral("2026-12-10T09:00Z"), QStringLiteral("call"), QStringLiteral("at"),
              QStringLiteral("6") },
            "America/New_York",
            R"({"due":"2026-12-10T06:00","hasTime":true,"match":{"index":5,"length":4,"text":"at 6"},"title":"call"})" },
    };
    for (const auto& c : cases) {
        const CommandRun run = parseReminder(c.arguments, c.tz);
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        const QJsonDocument expected = QJsonDocument::fromJson(QByteArray(c.json));
        ASSERT_TRUE(expected.isObject()) << c.json;
        EXPECT_EQ(QJsonDocument::fromJson(run.out), expected) << run.out.constData();
        EXPECT_TRUE(run.out.endsWith("}\n")) << "one line";
    }
}

TEST(ReminderCommand, ABadNowIsAClearErrorWithExitTwo)
{
    for (const QStringList& arguments : { QStringList { QStringLiteral("--now"), QStringLiteral("yesterday"), QStringLiteral("x") },
             QStringList { QStringLiteral("--now") }, QStringList { QStringLiteral("--now=2026-13-01T10:00"), QStringLiteral("x") } }) {
        const CommandRun run = parseReminder(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("quickhalo: --now")) << run.err.constData();
    }
}
